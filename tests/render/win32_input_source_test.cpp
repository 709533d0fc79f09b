#include <gtest/gtest.h>

#include "render/win32_input_source.h"

namespace {

TEST(IsTouchTest, EveryPressTurnAndContactCountsButMovesReleasesAndRepeatsDoNot)
{
    const LPARAM repeat = 0x40000000;
    const MSG touches[] = {{nullptr, WM_KEYDOWN},     {nullptr, WM_SYSKEYDOWN},  {nullptr, WM_LBUTTONDOWN},
                           {nullptr, WM_RBUTTONDOWN}, {nullptr, WM_MBUTTONDOWN}, {nullptr, WM_XBUTTONDOWN},
                           {nullptr, WM_MOUSEWHEEL},  {nullptr, WM_MOUSEHWHEEL}, {nullptr, WM_TOUCH},
                           {nullptr, 0x0246 /* WM_POINTERDOWN */}};
    const MSG others[] = {{nullptr, WM_KEYDOWN, 0, repeat}, {nullptr, WM_SYSKEYDOWN, 0, repeat},
                          {nullptr, WM_KEYUP},   {nullptr, WM_LBUTTONUP}, {nullptr, WM_XBUTTONUP},
                          {nullptr, WM_MOUSEMOVE}, {nullptr, WM_CHAR},    {nullptr, WM_TIMER}};
    for (const MSG& message : touches) {
        EXPECT_TRUE(IsTouch(message)) << std::hex << message.message;
    }
    for (const MSG& message : others) {
        EXPECT_FALSE(IsTouch(message)) << std::hex << message.message << " " << message.lParam;
    }
}

}  // namespace
