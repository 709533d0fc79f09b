#include <gtest/gtest.h>

#include <cstring>

#include "render/input_watch.h"

namespace {

// The keyboard and cursor the watch sees; tests change them between snapshots.
class ScriptedInput : public InputSource {
public:
    void ReadKeyboard(uint8_t out[256]) override { std::memcpy(out, keys, 256); }
    void ReadCursor(int32_t& x, int32_t& y) override
    {
        x = cursorX;
        y = cursorY;
    }
    uint8_t keys[256] = {};
    int32_t cursorX = 300;
    int32_t cursorY = 200;
};

const uint8_t down = 0x80;
const uint8_t toggled = 0x01;
const int vkLeftButton = 0x01;
const int vkRightButton = 0x02;
const int vkMiddleButton = 0x04;
const int vkShift = 0x10;
const int vkCapital = 0x14;
const int vkSpace = 0x20;

TEST(InputWatchTest, NothingChangedIsNoActivity)
{
    ScriptedInput input;
    InputWatch watch(input);
    EXPECT_FALSE(watch.ActivityDetected());
    watch.Snapshot();
    EXPECT_FALSE(watch.ActivityDetected());
}

TEST(InputWatchTest, KeyAlreadyHeldAtStartIsNoActivityButAnotherKeyIs)
{
    ScriptedInput input;
    input.keys[vkShift] = down;
    InputWatch watch(input);
    watch.Snapshot();
    EXPECT_FALSE(watch.ActivityDetected());

    input.keys[vkSpace] = down;
    watch.Snapshot();
    EXPECT_TRUE(watch.ActivityDetected());
}

TEST(InputWatchTest, OnlyAKeyGoingDownCounts)
{
    struct Case {
        int code;
        uint8_t before;
        uint8_t after;
        bool activity;
    } cases[] = {
        {vkSpace, 0, down, true},
        {vkSpace, down, 0, false},               // release
        {vkSpace, down, down, false},            // held
        {vkCapital, 0, toggled, false},          // toggle bit alone
        {vkCapital, toggled, 0, false},
        {vkCapital, toggled, down | toggled, true},
        {vkLeftButton, 0, down, true},           // mouse buttons have key codes
        {vkRightButton, 0, down, true},
        {vkMiddleButton, 0, down, true},
        {0x00, 0, down, true},                   // first code of the scan
        {0xFF, 0, down, true},                   // last code of the scan
    };
    for (const Case& c : cases) {
        ScriptedInput input;
        input.keys[c.code] = c.before;
        InputWatch watch(input);
        input.keys[c.code] = c.after;
        watch.Snapshot();
        EXPECT_EQ(watch.ActivityDetected(), c.activity) << "key " << c.code;
    }
}

TEST(InputWatchTest, AnyCursorMoveCounts)
{
    const int32_t moves[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {500, -200}};
    for (const auto& move : moves) {
        ScriptedInput input;
        InputWatch watch(input);
        input.cursorX += move[0];
        input.cursorY += move[1];
        watch.Snapshot();
        EXPECT_TRUE(watch.ActivityDetected()) << move[0] << "," << move[1];
        watch.Snapshot();
        EXPECT_FALSE(watch.ActivityDetected()) << "still after moving " << move[0] << "," << move[1];
    }
}

TEST(InputWatchTest, PressAndReleaseBetweenTwoSnapshotsLeaveNoTrace)
{
    ScriptedInput input;
    InputWatch watch(input);
    input.keys[vkSpace] = down;
    input.keys[vkSpace] = 0;
    watch.Snapshot();
    EXPECT_FALSE(watch.ActivityDetected());
}

TEST(InputWatchTest, ComparesOnlyTheTwoNewestSnapshots)
{
    ScriptedInput input;
    InputWatch watch(input);
    input.keys[vkSpace] = down;
    watch.Snapshot();
    watch.Snapshot();  // still held: the key went down one snapshot earlier
    EXPECT_FALSE(watch.ActivityDetected());
}

}  // namespace
