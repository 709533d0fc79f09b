#include <gtest/gtest.h>

#include <string>

#include "settings/ini_text.h"

namespace {

// The ANSI code page's part is the system's: here it marks what went through
// it, and holds ASCII only.
std::string FromAnsi(std::string_view ansi)
{
    return "ansi:" + std::string(ansi);
}

std::optional<std::string> ToAsciiOnly(std::string_view utf8)
{
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return std::nullopt;
        }
    }
    return std::string(utf8);
}

const std::string kUnicodeLine =
    "PictureFolder=D:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x8C\xB4 \xE5\x86\x99\xE7\x9C\x9F";

TEST(IniBytes, EachEncodingIsRecognisedAndReadAsUtf8)
{
    using E = IniEncoding;
    struct Case {
        const char* name;
        std::string bytes;
        E encoding;
        std::string text;
    };
    const Case cases[] = {
        {"empty", "", E::Ansi, ""},
        {"ascii", "[a]\r\nk=v", E::Ansi, "[a]\r\nk=v"},
        {"ansi e acute", "k=caf\xE9", E::Ansi, "ansi:k=caf\xE9"},
        {"ansi that looks almost like UTF-8", "k=\xC3\xA9\xE9", E::Ansi, "ansi:k=\xC3\xA9\xE9"},
        {"utf-8", kUnicodeLine, E::Utf8, kUnicodeLine},
        {"utf-8 with mark", "\xEF\xBB\xBFk=\xC3\xA9", E::Utf8WithBom, "k=\xC3\xA9"},
        {"utf-8 mark, then ill-formed", "\xEF\xBB\xBFk=\xE9", E::Utf8WithBom, "k=\xEF\xBF\xBD"},
        {"utf-16 le", std::string("\xFF\xFEk\0=\0\x24\x04", 8), E::Utf16LeWithBom, "k=\xD0\xA4"},
        {"utf-16 le, a pair", std::string("\xFF\xFEk\0=\0\x3C\xD8\x34\xDF", 10), E::Utf16LeWithBom, "k=\xF0\x9F\x8C\xB4"},
        {"utf-16 le, odd byte dropped", std::string("\xFF\xFEk\0=", 5), E::Utf16LeWithBom, "k"},
        {"utf-16 be", std::string("\xFE\xFF\0k\0=\x04\x24", 8), E::Utf16BeWithBom, "k=\xD0\xA4"},
        {"utf-16 le, lone surrogate", std::string("\xFF\xFE\x3C\xD8", 4), E::Utf16LeWithBom, "\xED\xA0\xBC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IniText decoded = DecodeIniBytes(c.bytes, FromAnsi);
        EXPECT_EQ(c.encoding, decoded.encoding);
        EXPECT_EQ(c.text, decoded.text);
    }
}

TEST(IniBytes, ASaveKeepsTheFilesEncodingUnlessAnsiLacksACharacter)
{
    using E = IniEncoding;
    // A double-byte code page can give bytes that also form valid UTF-8,
    // which would read back as another text.
    const auto toUtf8LookAlike = [](std::string_view) -> std::optional<std::string> { return "k=\xC3\xA9"; };
    const auto toLatin1 = [](std::string_view) -> std::optional<std::string> { return "k=caf\xE9"; };
    // Two and four UTF-8 bytes, one and two UTF-16 units.
    const std::string line = "k=\xD0\xA4\xF0\x9F\x8C\xB4";
    const std::string utf16Le("\xFF\xFEk\0=\0\x24\x04\x3C\xD8\x34\xDF", 12);
    struct Case {
        std::string text;
        E encoding;
        E written;
        std::string bytes;  // what the file holds, written out by hand
        Utf8ToAnsi toAnsi = ToAsciiOnly;
    };
    const Case cases[] = {
        {"k=cafe", E::Ansi, E::Ansi, "k=cafe"},
        {"k=caf\xC3\xA9", E::Ansi, E::Ansi, "k=caf\xE9", toLatin1},
        {line, E::Ansi, E::Utf16LeWithBom, utf16Le, toUtf8LookAlike},
        {line, E::Ansi, E::Utf16LeWithBom, utf16Le},
        {line, E::Utf8, E::Utf8, line},
        {"k=\xED\xA0\xBC", E::Utf8, E::Utf16LeWithBom, std::string("\xFF\xFEk\0=\0\x3C\xD8", 8)},  // a file name's lone surrogate
        {line, E::Utf8WithBom, E::Utf8WithBom, "\xEF\xBB\xBF" + line},
        {line, E::Utf16LeWithBom, E::Utf16LeWithBom, utf16Le},
        {line, E::Utf16BeWithBom, E::Utf16BeWithBom, std::string("\xFE\xFF\0k\0=\x04\x24\xD8\x3C\xDF\x34", 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.encoding));
        E encoding = c.encoding;
        const std::string bytes = EncodeIniText(c.text, encoding, c.toAnsi);
        EXPECT_EQ(c.written, encoding);
        EXPECT_EQ(c.bytes, bytes);
        EXPECT_EQ(c.written, DecodeIniBytes(bytes, FromAnsi).encoding);
    }
}

TEST(IniSection, ValuesReadAsTheProfileReaderReadsThem)
{
    const std::string text =
        "Speed=1\r\n"
        "[Other]\nCustomPicture=D:\\other.jpg\n"
        "[ vitrane SETTINGS ]\n"
        "  customPicture =  D:\\lake.jpg  \n"
        "CustomPicture=D:\\second.jpg\n"
        "; Speed=3\n"
        "WaveStyle=\"  quoted  \"\n"
        "PictureFolder='D:\\x'\n"
        "LastFolderPicture=\"D:\\half\n"
        "UseCustomPic=\n"
        "no equals sign\n"
        "[Vitrane settings]\r\nSpeed=150\r\nCustomPicture=D:\\third.jpg";
    const std::vector<IniEntry> entries = IniSectionEntries(text, "Vitrane settings");
    struct Case {
        const char* key;
        const char* value;  // nullptr: not there
    };
    const Case cases[] = {
        {"CustomPicture", "D:\\lake.jpg"}, {"WaveStyle", "  quoted  "}, {"PictureFolder", "D:\\x"},
        {"LastFolderPicture", "\"D:\\half"}, {"UseCustomPic", ""}, {"Speed", "150"}, {"Missing", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const std::string* value = FindIniValue(entries, c.key);
        ASSERT_EQ(c.value == nullptr, value == nullptr);
        if (value != nullptr) {
            EXPECT_EQ(c.value, *value);
        }
    }
}

TEST(IniSection, WritingSetsTheKeyWhereTheReaderFindsItAndKeepsEveryOtherLine)
{
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"", "[S]\r\nk=new\r\n"},
        {"; note\n[T]\nk=1", "; note\r\n[T]\r\nk=1\r\n\r\n[S]\r\nk=new\r\n"},
        {"[s]\nK = old\n[T]\nk=1\n", "[s]\r\nk=new\r\n[T]\r\nk=1\r\n"},
        {"[S]\na=1\n\n[T]\n", "[S]\r\na=1\r\nk=new\r\n\r\n[T]\r\n"},
        {"[S]\na=1\n[S]\nk=old\n", "[S]\r\na=1\r\n[S]\r\nk=new\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        EXPECT_EQ(c.after, WithIniValues(c.before, "S", {{"k", "new"}}));
    }
}

TEST(IniSection, EveryWrittenValueReadsBackExactly)
{
    const std::string values[] = {
        "", " ", "  lead", "trail ", "\"both\"", "'single'", "\"open", "a=b", "; not a comment", "[x]",
        kUnicodeLine, std::string(40000, 'p'),
    };
    for (const std::string& value : values) {
        SCOPED_TRACE(value.substr(0, 40));
        const std::string text = WithIniValues("[S]\nk=old\n", "S", {{"k", value}, {"other", value}});
        const std::vector<IniEntry> entries = IniSectionEntries(text, "S");
        ASSERT_NE(nullptr, FindIniValue(entries, "k"));
        EXPECT_EQ(value, *FindIniValue(entries, "k"));
        EXPECT_EQ(value, *FindIniValue(entries, "other"));
    }
    // A line break cannot be kept in a line; it must not start a new key.
    const std::string text = WithIniValues("", "S", {{"k", "a\r\nSpeed=5"}});
    EXPECT_EQ(nullptr, FindIniValue(IniSectionEntries(text, "S"), "Speed"));
}

}  // namespace
