#include "win32_settings_test_support.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>

static void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string full = folder + name;
            (void)SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + "\\");
            } else {
                (void)DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        (void)FindClose(search);
    }
    (void)SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)RemoveDirectoryA(folder.c_str());
}

ScratchFolder::ScratchFolder()
{
    static unsigned serial = 0;
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    const std::string base = length > 0 && length < sizeof temp ? temp : ".\\";
    do {
        std::ostringstream name;
        name << base << "vitrane-settings-" << GetCurrentProcessId() << "-" << ++serial << "\\";
        path = name.str();
    } while (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(path);
}

void WriteBytes(const std::string& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadBytes(const std::string& file, bool* exists)
{
    std::ifstream in(file, std::ios::binary);
    *exists = in.is_open();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, std::string> SectionValues(const std::string& text, const std::string& section)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        const std::string::size_type equals = line.find('=');
        if (inSection && equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}
