#include <gtest/gtest.h>

#include "render/win32_input_source.h"

namespace {

TEST(IsTouchTest, EveryPressTurnAndContactCountsButMovesReleasesAndRepeatsDoNot)
{
    const LPARAM repeat = 0x40000000;
    const struct {
        UINT message;
        LPARAM lParam;
        bool touch;
    } cases[] = {
        {WM_KEYDOWN, 0, true},           {WM_SYSKEYDOWN, 0, true},       {WM_LBUTTONDOWN, 0, true},
        {WM_RBUTTONDOWN, 0, true},       {WM_MBUTTONDOWN, 0, true},      {WM_XBUTTONDOWN, 0, true},
        {WM_MOUSEWHEEL, 0, true},        {WM_MOUSEHWHEEL, 0, true},      {WM_TOUCH, 0, true},
        {0x0246 /* WM_POINTERDOWN */, 0, true},
        {WM_KEYDOWN, repeat, false},     {WM_SYSKEYDOWN, repeat, false}, {WM_KEYUP, 0, false},
        {WM_LBUTTONUP, 0, false},        {WM_XBUTTONUP, 0, false},       {WM_MOUSEMOVE, 0, false},
        {WM_CHAR, 0, false},             {WM_TIMER, 0, false},
    };
    for (const auto& c : cases) {
        MSG message = {};
        message.message = c.message;
        message.lParam = c.lParam;
        EXPECT_EQ(IsTouch(message), c.touch) << "message 0x" << std::hex << c.message << " lParam " << c.lParam;
    }
}

}  // namespace
