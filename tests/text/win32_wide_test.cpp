#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "text/win32_wide.h"

namespace {

// Wine opens paths past MAX_PATH without the prefix too, so what the prefix
// turns off (making the path whole) is checked here rather than by opening.
TEST(WidePath, APathTooLongForThePlainFormIsMadeWholeAndPrefixed)
{
    const std::string longName(300, 'p');
    struct Case {
        std::string path;
        std::wstring expected;
    };
    const Case cases[] = {
        {"C:\\short\\..\\lake.jpg", L"C:\\short\\..\\lake.jpg"},
        {"C:\\a\\..\\b/./" + longName, L"\\\\?\\C:\\b\\" + std::wstring(300, L'p')},
        {"\\\\server\\share\\" + longName, L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'p')},
        {"\\\\?\\C:\\" + longName, L"\\\\?\\C:\\" + std::wstring(300, L'p')},
        {"\\\\.\\C:\\" + longName, L"\\\\.\\C:\\" + std::wstring(300, L'p')},
        {"C:\\\xD0\xA4\\" + longName, L"\\\\?\\C:\\\u0424\\" + std::wstring(300, L'p')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 30));
        EXPECT_EQ(c.expected, WidePath(c.path));
    }
}

TEST(AnsiText, OnlyTextTheCodePageHoldsIsWrittenAsAnsi)
{
    EXPECT_EQ("D:\\lake.jpg", AnsiFromUtf8("D:\\lake.jpg").value_or("none"));
    // No ANSI code page holds an emoji.
    EXPECT_FALSE(AnsiFromUtf8("\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x8C\xB4").has_value());
    const std::string ansi = AnsiFromUtf8("caf\xC3\xA9").value_or("");  // in every Western code page
    EXPECT_EQ("caf\xC3\xA9", Utf8FromAnsi(ansi));
}

}  // namespace
