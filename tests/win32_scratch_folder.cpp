#include "win32_scratch_folder.h"

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
    (void)CreateDirectoryA(full.c_str(), nullptr);
    return full;
}

void WriteBytes(const std::string& file, const std::string& bytes)
{
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
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
    std::ifstream in(file, std::ios::binary);
    *exists = in.is_open();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
