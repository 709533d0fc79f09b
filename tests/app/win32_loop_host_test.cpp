#include <gtest/gtest.h>

#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>
#include <utility>

#include "app/win32_loop_host.h"
#include "app/win32_main_window.h"
#include "app/win32_startup.h"
#include "render/input_watch.h"

namespace {

class NoInput : public InputSource {
public:
    void ReadKeyboard(uint8_t keys[256]) override { std::fill(keys, keys + 256, uint8_t{0}); }
    void ReadCursor(int32_t& x, int32_t& y) override { x = y = 0; }
};

// POWERBROADCAST_SETTING with room for its one DWORD.
struct DisplayStateSetting {
    GUID powerSetting;
    DWORD dataLength;
    DWORD state;
};

HWND testWindow = nullptr;
size_t stage = 0;

// What the system tells at each stage, and whether anyone can see the output
// after it.
struct Stage {
    UINT message;
    WPARAM event;
    DWORD displayState;
    bool visible;
};
const Stage stages[] = {
    {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 0, false},  // display off
    {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 2, true},   // dimmed counts as on
    // Locked, yet the saver's desktop still takes the input: still seen.
    {WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0, true},
    {WM_POWERBROADCAST, PBT_APMSUSPEND, 0, false},
    {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0, false},  // still suspending
    {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, true},
    {WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT, 0, false},
    {WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, 0, true},
};
constexpr size_t stageCount = sizeof stages / sizeof stages[0];

void Deliver(const Stage& s)
{
    DisplayStateSetting setting{GUID_CONSOLE_DISPLAY_STATE, sizeof(DWORD), s.displayState};
    (void)SendMessageA(testWindow, s.message, s.event, reinterpret_cast<LPARAM>(&setting));
}

void CALLBACK NextStage(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (++stage < stageCount) {
        Deliver(stages[stage]);
        return;
    }
    (void)KillTimer(nullptr, timer);
    PostQuitMessage(0);
}

// Counts per stage the frames drawn and the waits with a timeout.
class CountingHost : public Win32LoopHost {
public:
    CountingHost() : Win32LoopHost(::scene) {}
    void DrawFrame() override { ++frames[stage]; }
    void WaitForMessageOrTimeout(uint32_t milliseconds) override
    {
        ++timedWaits[stage];
        Win32LoopHost::WaitForMessageOrTimeout(milliseconds);
    }
    int frames[stageCount] = {};
    int timedWaits[stageCount] = {};
};

TEST(LoopHostTest, DrawsNothingAndSetsNoTimerWhileNobodyCanSeeTheOutput)
{
    RegisterMainWindowClass(GetModuleHandleA(nullptr), "VitraneVisibilityTest", {&scene.output, nullptr});
    testWindow = CreateWindowExA(0, "VitraneVisibilityTest", "visibility test", WS_POPUP, 0, 0, 8, 8, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(testWindow, nullptr);
    scene.output.fullScreen = true;
    Deliver(stages[0]);
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, NextStage);
    ASSERT_NE(timer, 0u);

    NoInput input;
    InputWatch watch(input);
    CountingHost host;
    uint32_t lastFrameTime = 0;
    EXPECT_EQ(RunMainLoop(host, watch, lastFrameTime), 0);
    for (size_t k = 0; k < stageCount; ++k) {
        if (stages[k].visible) {
            EXPECT_GE(host.frames[k], 1) << "stage " << k;
        } else {
            EXPECT_EQ(host.frames[k], 0) << "stage " << k;
            EXPECT_EQ(host.timedWaits[k], 0) << "stage " << k;
        }
    }
    (void)DestroyWindow(testWindow);
    while (PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE)) {
    }
    scene.output.Clear();
}

TEST(LoopHostTest, ThePreviewIsSeenOnlyWhileItsParentIsShownAndNotMinimised)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 80, 60, nullptr, nullptr, nullptr,
                                  nullptr);
    HWND preview = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 80, 60, parent, nullptr, nullptr,
                                   nullptr);
    ASSERT_NE(preview, nullptr);
    RegisterMainWindowClass(GetModuleHandleA(nullptr), "VitraneVisibilityTest", {&scene.output, nullptr});
    scene.output.window = preview;
    const std::pair<int, bool> steps[] = {{SW_SHOWNA, true}, {SW_MINIMIZE, false}, {SW_RESTORE, true},
                                          {SW_HIDE, false}, {SW_SHOWNA, true}};
    for (const auto& step : steps) {
        (void)ShowWindow(parent, step.first);
        EXPECT_EQ(OutputCanBeSeen(), step.second) << "after ShowWindow " << step.first;
    }
    (void)DestroyWindow(parent);
    scene.output.Clear();
}

}  // namespace
