#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The picture a start shows from a folder of pictures: one of the files whose
// extension (matched without regard to case) is among the decodable ones
// (lower case, with the dot), chosen by the random value, and never the
// previous start's pick while there are two or more to choose from. "" when
// the folder holds no decodable file. Names and previous are compared without
// regard to case, as Windows compares file names.
std::string PickFolderPicture(const std::vector<std::string>& fileNames,
                              const std::vector<std::string>& decodableExtensions,
                              const std::string& previous, uint32_t randomValue);
