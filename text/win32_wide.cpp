#include "text/win32_wide.h"

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
