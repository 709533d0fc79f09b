#include <gtest/gtest.h>

#include <string>

#include "text/utf8.h"

namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
    bool valid;
};

// Ill-formed input: one U+FFFD per maximal ill-formed part, never a read past
// the end, and the valid text around it kept.
TEST(Utf8, DecodesWellFormedTextAndReplacesEachIllFormedPart)
{
    const Utf8Case cases[] = {
        {"empty", "", u"", true},
        {"ascii", "C:\\a b.jpg", u"C:\\a b.jpg", true},
        {"cyrillic, emoji, cjk", "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x8C\xB4 \xE5\x86\x99\xE7\x9C\x9F",
         u"Фото 🌴 写真", true},
        {"largest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
        {"lone continuation", "a\x80z", u"a\uFFFDz", false},
        {"lead at end", "a\xC3", u"a\uFFFD", false},
        {"truncated four-byte", "\xF0\x9F\x8C", u"\uFFFD", false},
        {"truncated then ascii", "\xE5\x86z", u"\uFFFDz", false},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD", false},
        {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
        {"Windows-1252 e acute", "caf\xE9", u"caf\uFFFD", false},
        {"invalid lead bytes", "\xF5\xFF", u"\uFFFD\uFFFD", false},
        // A lone surrogate's three-byte form is kept as that unit (file names).
        {"encoded surrogate", "\xED\xA0\x80", std::u16string(1, char16_t(0xD800)), false},
        {"embedded nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3), true},
    };
    for (const Utf8Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.utf16, Utf8ToUtf16(c.utf8));
        EXPECT_EQ(c.valid, IsValidUtf8(c.utf8));
    }
}

TEST(Utf8, EveryUtf16StringComesBackUnchanged)
{
    const std::u16string texts[] = {
        u"Фото 🌴 写真\\Bild.jpg",
        std::u16string{char16_t(0xD83C)},              // high surrogate alone
        std::u16string{u'x', char16_t(0xDF34), u'y'},  // low surrogate alone
        std::u16string{char16_t(0xDC00), char16_t(0xD800)},  // reversed pair
    };
    for (const std::u16string& text : texts) {
        EXPECT_EQ(text, Utf8ToUtf16(Utf16ToUtf8(text)));
    }
    EXPECT_EQ("\xF0\x9F\x8C\xB4", Utf16ToUtf8(u"🌴"));
    EXPECT_TRUE(IsValidUtf8(Utf16ToUtf8(u"Фото 🌴 写真")));
}

}  // namespace
