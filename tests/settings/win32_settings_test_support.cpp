#include "win32_settings_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "settings/win32_settings_store.h"

// The system's conversions, not the program's own, so that a fault shared by
// its writer and its reader shows.
static std::string Utf8FromUtf16(const std::wstring& wide)
{
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

static std::string TextOf(const std::string& bytes)
{
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        std::wstring wide((bytes.size() - 2) / 2, L'\0');
        memcpy(wide.data(), bytes.data() + 2, wide.size() * 2);
        return Utf8FromUtf16(wide);
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return bytes.substr(3);
    }
    const int size = static_cast<int>(bytes.size());
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0) > 0 || bytes.empty()) {
        return bytes;
    }
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), size));
    return Utf8FromUtf16(wide);
}

std::map<std::string, std::string> SectionValues(const std::string& bytes, const std::string& section)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(TextOf(bytes));
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

static std::string userDataFolderForTests;

void UseUserDataFolder(const std::string& folder)
{
    userDataFolderForTests = folder;
    userDataFolder = [] { return userDataFolderForTests; };
}

void ClearPolicies()
{
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        (void)RegDeleteTreeW(root, L"Software\\Policies\\Vitrane");
    }
}

void SetPolicy(HKEY root, const wchar_t* name, DWORD type, const void* data, size_t size)
{
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(root, L"Software\\Policies\\Vitrane", name, type, data, static_cast<DWORD>(size)));
}

void SetPolicy(HKEY root, const wchar_t* name, DWORD number)
{
    SetPolicy(root, name, REG_DWORD, &number, sizeof number);
}
