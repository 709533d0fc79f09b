#include "settings/folder_pick.h"

#include <algorithm>

#include "settings/settings_text.h"

// ".jpg" for "D:\Photos\Lake.JPG"; "" when the name has no dot after its
// last folder separator.
static std::string LowerCaseExtension(const std::string& name)
{
    const std::string::size_type dot = name.find_last_of('.');
    const std::string::size_type separator = name.find_last_of("\\/");
    if (dot == std::string::npos || (separator != std::string::npos && separator > dot)) {
        return std::string();
    }
    return AsciiLowerCase(name.substr(dot));
}

std::string PickFolderPicture(const std::vector<std::string>& fileNames,
                              const std::vector<std::string>& decodableExtensions,
                              const std::string& previous, uint32_t randomValue)
{
    std::vector<std::string> pictures;
    for (const std::string& name : fileNames) {
        const std::string extension = LowerCaseExtension(name);
        if (!extension.empty() &&
            std::find(decodableExtensions.begin(), decodableExtensions.end(), extension) !=
                decodableExtensions.end()) {
            pictures.push_back(name);
        }
    }
    if (pictures.size() >= 2) {
        const std::string previousLower = AsciiLowerCase(previous);
        pictures.erase(std::remove_if(pictures.begin(), pictures.end(),
                                      [&](const std::string& name) {
                                          return AsciiLowerCase(name) == previousLower;
                                      }),
                       pictures.end());
    }
    if (pictures.empty()) {
        return std::string();
    }
    return pictures[randomValue % pictures.size()];
}
