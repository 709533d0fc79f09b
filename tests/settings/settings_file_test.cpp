#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_file.h"

namespace {

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

TEST(NewerKeys, OnlyAWholeNumberInRangeChangesTodaysBehaviour)
{
    struct Case {
        const char* text;
        int32_t waveStyle;
        int32_t speed;
        int32_t slideSeconds;
        bool onUnlessZero;
        int32_t cacheMegabytes;
    };
    const Case cases[] = {
        {"1", 1, 100, 60, true, 1},        {" 1 ", 1, 100, 60, true, 1},     {"+1", 1, 100, 60, true, 1},
        {"0", 0, 100, 0, false, 0},        {" -0 ", 0, 100, 0, false, 0},    {"2", 2, 100, 60, true, 2},
        {"3", 0, 100, 60, true, 3},
        {"5", 0, 100, 5, true, 5},         {"4", 0, 100, 60, true, 4},       {"86400", 0, 100, 86400, true, 256},
        {"86401", 0, 100, 60, true, 256},  {"50", 0, 50, 50, true, 50},      {"200", 0, 200, 200, true, 200},
        {"75", 0, 75, 75, true, 75},       {"49", 0, 100, 49, true, 49},     {"201", 0, 100, 201, true, 201},
        {"-100", 0, 100, 60, true, 256},   {"", 0, 100, 60, true, 256},      {" ", 0, 100, 60, true, 256},
        {"1abc", 0, 100, 60, true, 256},   {"150%", 0, 100, 60, true, 256},  {"fast", 0, 100, 60, true, 256},
        {"1.5", 0, 100, 60, true, 256},    {"0x1", 0, 100, 60, true, 256},   {"4294967446", 0, 100, 60, true, 256},
        {"65536", 0, 100, 65536, true, 65536}, {"65537", 0, 100, 65537, true, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        EXPECT_EQ(c.waveStyle, WaveStyleFromText(c.text));
        EXPECT_EQ(c.speed, SpeedPercentFromText(c.text));
        EXPECT_EQ(c.slideSeconds, SlideSecondsFromText(c.text));
        EXPECT_EQ(c.onUnlessZero, OnUnlessZero(c.text));
        EXPECT_EQ(c.cacheMegabytes, CacheMegabytesFromText(c.text));
    }
}

TEST(NewerKeys, ChoicesOutsideTheirListMeanTheDefault)
{
    struct Case {
        const char* text;
        int32_t look;
        int32_t clock;
        bool onIfOne;
    };
    const Case cases[] = {
        {"0", 0, 0, false}, {" 1 ", 1, 1, true}, {"2", 0, 2, false},  {"3", 0, 0, false},
        {"-1", 0, 0, false}, {"", 0, 0, false},  {"1x", 0, 0, false}, {"realistic", 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        EXPECT_EQ(c.look, LookFromText(c.text));
        EXPECT_EQ(c.clock, ClockFromText(c.text));
        EXPECT_EQ(c.onIfOne, OnIfOne(c.text));
    }
}

}  // namespace
