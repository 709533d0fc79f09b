#include "win32_scratch_folder.h"

#include <windows.h>

#include <sstream>

#include "text/win32_wide.h"

static void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(WidePath(folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = Utf8FromWide(found.cFileName);
            if (name == "." || name == "..") {
                continue;
            }
            const std::string full = folder + name;
            (void)SetFileAttributesW(WidePath(full).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + "\\");
            } else {
                (void)DeleteFileW(WidePath(full).c_str());
            }
        } while (FindNextFileW(search, &found));
        (void)FindClose(search);
    }
    (void)SetFileAttributesW(WidePath(folder).c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)RemoveDirectoryW(WidePath(folder).c_str());
}

ScratchFolder::ScratchFolder()
{
    static unsigned serial = 0;
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    const std::string base = length > 0 && length < sizeof temp ? temp : ".\\";
    do {
        std::ostringstream name;
        name << base << "vitrane-test-" << GetCurrentProcessId() << "-" << ++serial << "\\";
        path = name.str();
    } while (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(path);
}

std::string ScratchFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

std::string ScratchFolder::Write(const std::string& name, const std::string& text) const
{
    const std::string full = path + name;
    WriteBytes(full, text);
    return full;
}

std::string ScratchFolder::MakeFolder(const std::string& name) const
{
    const std::string full = path + name;
    (void)CreateDirectoryW(WidePath(full).c_str(), nullptr);
    return full;
}

void WriteBytes(const std::string& file, const std::string& bytes)
{
    HANDLE handle = CreateFileW(WidePath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    (void)WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    (void)CloseHandle(handle);
}

std::string ReadBytes(const std::string& file, bool* exists)
{
    const HANDLE handle = CreateFileW(WidePath(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    *exists = handle != INVALID_HANDLE_VALUE;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (*exists && ReadFile(handle, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    if (*exists) {
        (void)CloseHandle(handle);
    }
    return bytes;
}
