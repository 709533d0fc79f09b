#include <gtest/gtest.h>

#include <cstdint>

#include "settings/settings_text.h"

namespace {

struct TextToIntCase {
    const char* text;
    int32_t expected;
};

TEST(TextToInt, ReadsASignedDecimalAfterLeadingWhiteSpace)
{
    const TextToIntCase cases[] = {
        {"1", 1},
        {"01", 1},
        {"+1", 1},
        {"-1", -1},
        {"2", 2},
        {"0", 0},
        {"-0", 0},
        {"+0", 0},
        {"1234", 1234},
        {" 1", 1},
        {"\t\n\v\f\r 7", 7},
        {"   -42", -42},
        {"000000000000000000005", 5},
    };
    for (const TextToIntCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.expected, TextToInt(c.text));
    }
}

TEST(TextToInt, StopsAtTheFirstCharacterThatCannotContinueTheNumber)
{
    const TextToIntCase cases[] = {
        {"1abc", 1},
        {"0x1", 0},
        {"0x7f", 0},
        {"12 34", 12},
        {"1.9", 1},
        {"1e3", 1},
        {"-5-3", -5},
        {"9\n", 9},
    };
    for (const TextToIntCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.expected, TextToInt(c.text));
    }
}

TEST(TextToInt, KeepsTheWholeSigned32BitRange)
{
    EXPECT_EQ(INT32_MAX, TextToInt("2147483647"));
    EXPECT_EQ(INT32_MIN, TextToInt("-2147483648"));
}

TEST(TextToInt, GivesZeroWhenTheTextHoldsNoNumber)
{
    const char* const texts[] = {
        "",
        " ",
        "\t\r\n",
        "true",
        "yes",
        "on",
        "abc1",
        "-",
        "+",
        "+-1",
        "- 1",
        "x1",
        "2147483648",
        "-2147483649",
        "4294967296",
        "4294967297",
        "99999999999999999999999",
        "-99999999999999999999999",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(0, TextToInt(text));
    }
}

TEST(FlagToText, WritesTheDigitOfTheFlag)
{
    EXPECT_EQ("1", FlagToText(true));
    EXPECT_EQ("0", FlagToText(false));
}

}  // namespace
