#include "text/win32_wide.h"

#include <windows.h>

#include <climits>

#include "text/utf8.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

std::wstring WideFromUtf8(std::string_view utf8)
{
    const std::u16string utf16 = Utf8ToUtf16(utf8);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string Utf8FromWide(std::wstring_view wide)
{
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

// CreateDirectoryW's limit: room is left for an 8.3 file name in the folder.
static const size_t longestPlainPath = MAX_PATH - 12;

std::wstring WidePath(std::string_view utf8Path)
{
    std::wstring path = WideFromUtf8(utf8Path);
    if (path.size() < longestPlainPath || path.compare(0, 4, L"\\\\?\\") == 0) {
        return path;
    }
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    full.resize(length);
    // Made whole, "//?/" and "\\.\" paths keep their own prefixes.
    if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0) {
        return full;
    }
    if (full.compare(0, 2, L"\\\\") == 0) {
        // \\server\share\... becomes \\?\UNC\server\share\...
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

std::string Utf8FromAnsi(std::string_view ansi)
{
    if (ansi.empty() || ansi.size() > INT_MAX) {
        return std::string();
    }
    const int source = static_cast<int>(ansi.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), source, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        (void)MultiByteToWideChar(CP_ACP, 0, ansi.data(), source, wide.data(), length);
    }
    return Utf8FromWide(wide);
}

std::optional<std::string> AnsiFromUtf8(std::string_view utf8)
{
    const std::wstring wide = WideFromUtf8(utf8);
    if (wide.empty() || wide.size() > INT_MAX) {
        return wide.empty() ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    const int source = static_cast<int>(wide.size());
    // No best fit: a character the code page lacks must not become a look-alike.
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), source, nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) {
        return std::nullopt;
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    BOOL usedDefault = FALSE;
    (void)WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), source, ansi.data(), length, nullptr,
                              &usedDefault);
    // Read back, the bytes must give the very same text.
    if (usedDefault || Utf8FromAnsi(ansi) != Utf8FromWide(wide)) {
        return std::nullopt;
    }
    return ansi;
}

std::string FolderOfPath(const std::string& path)
{
    const std::string::size_type separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string(".") : path.substr(0, separator);
}
