#include "app/win32_loop_host.h"

#include <mmsystem.h>

#include "app/frame_pacing.h"
#include "app/win32_main_window.h"
#include "clock/win32_clock.h"
#include "render/gl_extensions.h"
#include "render/win32_gl_window.h"
#include "render/win32_input_source.h"
#include "render/win32_scene.h"
#ifdef VITRANE_FRAME_RECORDER
#include "app/win32_frame_recorder.h"
#endif

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

Win32LoopHost::Win32LoopHost(Scene& scene)
    : scene(scene),
      frameTimer(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS))
{
    if (frameTimer == nullptr) {
        raisedTimerResolution = timeBeginPeriod(1) == TIMERR_NOERROR;
    }
}

Win32LoopHost::~Win32LoopHost()
{
    if (frameTimer != nullptr) {
        (void)CloseHandle(frameTimer);
    }
    if (raisedTimerResolution) {
        (void)timeEndPeriod(1);
    }
}

MessagePass Win32LoopHost::PumpOneMessage(int& exitCode)
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        return MessagePass::QueueEmpty;
    }
    if (message.message == WM_QUIT) {
        exitCode = static_cast<int>(message.wParam);
        return MessagePass::Quit;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return IsTouch(message) ? MessagePass::Touched : MessagePass::Dispatched;
}

// Wraps past 2^32 like a tick count, which the loop's pacing expects.
uint32_t Win32LoopHost::Milliseconds()
{
    return static_cast<uint32_t>(PerformanceCounterMicroseconds() / 1000);
}

// MWMO_INPUTAVAILABLE: input already in the queue, seen or not, ends the
// wait at once, so a key pressed during a frame is not left waiting.
void Win32LoopHost::WaitForMessageOrTimeout(uint32_t milliseconds)
{
    if (frameTimer != nullptr) {
        LARGE_INTEGER dueTime;
        dueTime.QuadPart = -10000LL * milliseconds;  // relative, in 100 ns units
        if (SetWaitableTimer(frameTimer, &dueTime, 0, nullptr, nullptr, FALSE)) {
            (void)MsgWaitForMultipleObjectsEx(1, &frameTimer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            return;
        }
    }
    (void)MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32LoopHost::WaitForMessage()
{
    (void)MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32LoopHost::DrawFrame()
{
#ifdef VITRANE_FRAME_RECORDER
    RecordFrameStart();
    scene.Frame();
    RecordSceneTime(scene.frameClock.MicrosecondsSinceFirstFrame(), scene.time);
    RecordFrameShown();
#else
    scene.Frame();
#endif
}

bool Win32LoopHost::OutputIsFullScreen()
{
    return scene.output.IsFullScreen();
}

bool Win32LoopHost::OutputIsVisible()
{
    return OutputCanBeSeen();
}

void Win32LoopHost::RequestQuit()
{
    PostQuitMessage(0);
}

// Whether the driver lists the WGL extension, under either of the two names
// its extension string goes by.
static bool DriverOffers(HDC deviceContext, const char* extension)
{
    using ExtensionsArb = const char*(WINAPI*)(HDC);
    using ExtensionsExt = const char*(WINAPI*)();
    const char* extensions = nullptr;
    if (auto arb = GLFunction<ExtensionsArb>("wglGetExtensionsStringARB")) {
        extensions = arb(deviceContext);
    } else if (auto ext = GLFunction<ExtensionsExt>("wglGetExtensionsStringEXT")) {
        extensions = ext();
    }
    return ExtensionListHolds(extensions, extension);
}

uint32_t PaceSwapsByTheDisplay(HDC deviceContext)
{
    if (wglGetCurrentContext() == nullptr || !DriverOffers(deviceContext, "WGL_EXT_swap_control")) {
        return 0;
    }
    using SwapInterval = BOOL(WINAPI*)(int);
    auto setSwapInterval = GLFunction<SwapInterval>("wglSwapIntervalEXT");
    // The rate of the display the device context shows on; 0 or 1 stands for
    // the hardware's default.
    int refreshHz = GetDeviceCaps(deviceContext, VREFRESH);
    if (refreshHz <= 1) {
        refreshHz = 60;
    }
    const int refreshes = RefreshesPerFrame(refreshHz);
    if (setSwapInterval == nullptr || !setSwapInterval(refreshes)) {
        return 0;
    }
    return static_cast<uint32_t>(1000000LL * refreshes / refreshHz);
}
