#include <gtest/gtest.h>

#include "render/win32_input_source.h"

namespace {

TEST(IsTouchTest, EveryPressTurnAndContactCountsButMovesReleasesAndRepeatsDoNot)
{
    const LPARAM repeat = 0x40000000;
    auto message = [](UINT id, LPARAM lParam = 0) {
        MSG made = {};
        made.message = id;
        made.lParam = lParam;
        return made;
    };
    const MSG touches[] = {message(WM_KEYDOWN),     message(WM_SYSKEYDOWN),  message(WM_LBUTTONDOWN),
                           message(WM_RBUTTONDOWN), message(WM_MBUTTONDOWN), message(WM_XBUTTONDOWN),
                           message(WM_MOUSEWHEEL),  message(WM_MOUSEHWHEEL), message(WM_TOUCH),
                           message(0x0246 /* WM_POINTERDOWN */)};
    const MSG others[] = {message(WM_KEYDOWN, repeat), message(WM_SYSKEYDOWN, repeat), message(WM_KEYUP),
                          message(WM_LBUTTONUP),       message(WM_XBUTTONUP),          message(WM_MOUSEMOVE),
                          message(WM_CHAR),            message(WM_TIMER)};
    for (const MSG& message : touches) {
        EXPECT_TRUE(IsTouch(message)) << std::hex << message.message;
    }
    for (const MSG& message : others) {
        EXPECT_FALSE(IsTouch(message)) << std::hex << message.message << " " << message.lParam;
    }
}

}  // namespace
