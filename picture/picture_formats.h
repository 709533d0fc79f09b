#pragma once

#include <string>
#include <vector>

// Picture file extensions and the open-file dialog's filter text.

// Adds the extensions of a decoder's list (".jpeg,.jpe,.jpg"; Wine separates
// some with semicolons), lower-cased, in their order; blanks around them,
// empty entries, entries without a leading dot or with a wildcard, and
// extensions already in the list are skipped.
void AddPictureExtensions(std::vector<std::string>& extensions, const std::string& list);

// The filter text for GetOpenFileName: "All pictures " with a pattern for every
// extension, then "All files" with "*.*"; each text NUL-terminated and the
// whole closed by a second NUL.
std::string PictureFilterText(const std::vector<std::string>& extensions);
