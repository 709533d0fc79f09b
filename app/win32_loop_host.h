#pragma once

#include <windows.h>

#include <cstdint>

#include "app/main_loop.h"

class Scene;

// The real message queue, clock and the program's scene behind the main loop.
//
// The wait must end on the millisecond, or the 16 ms pacing stretches to
// 31 ms with the default tick of about 15.6 ms. A high-resolution waitable
// timer (Windows 10 1803 on) does that for this one wait; timeBeginPeriod(1)
// instead would make the whole machine tick a thousand times a second for as
// long as the saver runs, so it is only the fallback where that timer is
// missing, held by this object while the loop runs. The clock is the
// performance counter, exact whichever of the two serves.
class Win32LoopHost : public MainLoopHost {
public:
    explicit Win32LoopHost(Scene& scene);
    virtual ~Win32LoopHost();
    Win32LoopHost(const Win32LoopHost&) = delete;
    Win32LoopHost& operator=(const Win32LoopHost&) = delete;

    MessagePass PumpOneMessage(int& exitCode) override;
    uint32_t Milliseconds() override;
    void WaitForMessageOrTimeout(uint32_t milliseconds) override;
    void WaitForMessage() override;
    // The scene's frame.
    void DrawFrame() override;
    bool OutputIsFullScreen() override;
    bool OutputIsVisible() override;
    void RequestQuit() override;

private:
    Scene& scene;
    HANDLE frameTimer;
    bool raisedTimerResolution = false;
};

// Sets the swap interval to the fewest refreshes of the display that keep
// frames at or below 120 a second, where the driver offers
// WGL_EXT_swap_control, and returns how long each frame then stays on screen
// in microseconds; 0 where no interval could be set. Needs the output's
// rendering context current.
uint32_t PaceSwapsByTheDisplay(HDC deviceContext);
