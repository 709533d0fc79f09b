#pragma once

#include <string>

// The full path of a picture picked at random from the folder (see
// PickFolderPicture), never the previous pick while the folder holds two or
// more; "" for an empty or missing folder.
std::string ChooseFolderPicture(const std::string& folder, const std::string& previous);
