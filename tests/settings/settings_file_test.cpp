#include <gtest/gtest.h>

#include <string>

#include "settings/settings_file.h"

namespace {

TEST(ProfileValue, TheDefaultReadsAsItselfWithoutTrailingBlanks)
{
    struct Case {
        const char* read;
        const char* defaultText;
        const char* expected;
    };
    const Case cases[] = {
        // Wine hands the default back unstripped; Windows already strips it.
        {" ", " ", ""},
        {"", " ", ""},
        {"none  ", "none  ", "none"},
        {" none ", " none ", " none"},
        // Anything else was stored in the file and stays as read.
        {"D:\\lake.jpg", " ", "D:\\lake.jpg"},
        {"  ", " ", "  "},
        {"none", "none  ", "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("read '") + c.read + "', default '" + c.defaultText + "'");
        EXPECT_EQ(c.expected, ProfileValue(c.read, c.defaultText));
    }
}

TEST(ProfileValue, TheDefaultWeAskForReadsAsEmpty)
{
    EXPECT_EQ("", ProfileValue(profileDefault, profileDefault));
}

TEST(ResolvePicturePath, ADotMakesThePathRelativeToTheProgramDirectory)
{
    const std::string directory = "C:\\Saver\\";
    struct Case {
        const char* stored;
        const char* expected;
    };
    const Case cases[] = {
        {".\\lake.jpg", "C:\\Saver\\lake.jpg"},
        {".\\pictures\\lake.jpg", "C:\\Saver\\pictures\\lake.jpg"},
        {".", "C:\\Saver\\"},
        {".\\", "C:\\Saver\\"},
        {"..\\lake.jpg", "C:\\Saver\\\\lake.jpg"},
        {".lake.jpg", "C:\\Saver\\ake.jpg"},
        {"./lake.jpg", "C:\\Saver\\lake.jpg"},
        {".x", "C:\\Saver\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(c.expected, ResolvePicturePath(directory, c.stored));
    }
}

TEST(ResolvePicturePath, AnyOtherTextIsThePathUnchanged)
{
    const char* const texts[] = {
        "",
        " ",
        "D:\\Pictures\\lake.jpg",
        "\\\\server\\share\\lake.jpg",
        "lake.jpg",
        " .\\lake.jpg",
        "lake.jpg.",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(text, ResolvePicturePath("C:\\Saver\\", text));
    }
}

TEST(FlagFromText, AnyNonZeroNumberTurnsTheFlagOn)
{
    struct Case {
        const char* text;
        unsigned char expected;
    };
    const Case cases[] = {
        {"1", 1}, {"-1", 1}, {"2", 1}, {"1abc", 1}, {"0", 0}, {"0x1", 0}, {"", 0}, {"true", 0}, {"2147483648", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.expected, FlagFromText(c.text));
    }
}

}  // namespace
