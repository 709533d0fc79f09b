#pragma once

#include <string>
#include <vector>

// Lower-case extensions with the dot (".jpg") of the picture files this machine
// decodes: the Windows Imaging Component's installed decoders, or a fixed list
// when it does not answer.
std::vector<std::string> DecodablePictureExtensions();

// The open-file dialog's filter: "All pictures " with every decodable pattern,
// then "All files". Double-NUL-terminated.
std::string PictureFileFilter();
