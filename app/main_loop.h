#pragma once

#include <cstdint>

class FramePacing;
class InputWatch;

// The least number of milliseconds between the starts of two frames.
constexpr uint32_t frameInterval = 16;

enum class MessagePass {
    QueueEmpty,  // nothing waiting: an idle pass
    Dispatched,  // one message removed and dispatched
    Touched,     // one removed and dispatched that is a key, button, wheel or contact going down
    Quit,        // the quit message removed
};

// What the loop needs from the platform; the Windows build supplies the message
// queue, a 1 ms clock and a wait on both, the scene and the output window, tests
// a scripted fake.
class MainLoopHost {
public:
    // Removes and dispatches at most one message; on Quit sets exitCode.
    virtual MessagePass PumpOneMessage(int& exitCode) = 0;
    virtual uint32_t Milliseconds() = 0;
    // Returns when a message arrives (or one is already waiting) or when the
    // given time has passed, whichever comes first.
    virtual void WaitForMessageOrTimeout(uint32_t milliseconds) = 0;
    // Returns when a message arrives or one is already waiting.
    virtual void WaitForMessage() = 0;
    virtual void DrawFrame() = 0;
    virtual bool OutputIsFullScreen() = 0;
    // False while nobody can see the output: display off, session locked or
    // disconnected, system suspending, the preview's parent hidden.
    virtual bool OutputIsVisible() = 0;
    virtual void RequestQuit() = 0;

protected:
    ~MainLoopHost() = default;
};

// Unsigned difference, so the answer stays right when the clock wraps past 2^32.
bool FrameIsDue(uint32_t now, uint32_t lastFrameTime, uint32_t interval = frameInterval);

// 0 when a frame is due, else the time left until it is: at most the
// interval, and right across the clock's wrap.
uint32_t MillisecondsUntilNextFrame(uint32_t now, uint32_t lastFrameTime, uint32_t interval = frameInterval);

// Runs until the quit message arrives and returns its exit code. Every pass
// that finds the queue empty draws a frame when one is due (at the pacing's
// least interval; 16 ms without one) and the output is visible, while the
// output is full screen ends the saver on input activity, and then waits for
// the next message or the next frame; while the output is not visible, for
// the next message only. While the output is full screen a touch ends the
// saver as soon as its message is dispatched.
int RunMainLoop(MainLoopHost& host, InputWatch& watch, uint32_t& lastFrameTime, FramePacing* pacing = nullptr);
