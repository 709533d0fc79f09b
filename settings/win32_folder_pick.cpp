#include "settings/win32_folder_pick.h"

#include <windows.h>

#include <random>
#include <vector>

#include "picture/win32_picture_formats.h"
#include "settings/folder_pick.h"
#include "text/win32_wide.h"

static std::string JoinPath(const std::string& folder, const std::string& name)
{
    const bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return endsInSeparator ? folder + name : folder + "\\" + name;
}

static std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> paths;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(WidePath(JoinPath(folder, "*")).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return paths;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            paths.push_back(JoinPath(folder, Utf8FromWide(found.cFileName)));
        }
    } while (FindNextFileW(search, &found));
    (void)FindClose(search);
    return paths;
}

std::string ChooseFolderPicture(const std::string& folder, const std::string& previous)
{
    if (folder.empty()) {
        return std::string();
    }
    std::random_device random;
    return PickFolderPicture(FilesIn(folder), DecodablePictureExtensions(), previous, random());
}
