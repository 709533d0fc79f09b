#pragma once

#include <cstdint>

class InputWatch;

// The least number of milliseconds between the starts of two frames.
constexpr uint32_t frameInterval = 16;

enum class MessagePass {
    QueueEmpty,  // nothing waiting: an idle pass
    Dispatched,  // one message removed and dispatched
    Quit,        // the quit message removed
};

// What the loop needs from the platform; the Windows build supplies the message
// queue, a 1 ms clock, the scene and the output window, tests a scripted fake.
class MainLoopHost {
public:
    // Removes and dispatches at most one message; on Quit sets exitCode.
    virtual MessagePass PumpOneMessage(int& exitCode) = 0;
    virtual uint32_t Milliseconds() = 0;
    virtual void SleepOneMillisecond() = 0;
    virtual void DrawFrame() = 0;
    virtual bool OutputIsFullScreen() = 0;
    virtual void RequestQuit() = 0;

protected:
    ~MainLoopHost() = default;
};

// Unsigned difference, so the answer stays right when the clock wraps past 2^32.
bool FrameIsDue(uint32_t now, uint32_t lastFrameTime);

// Runs until the quit message arrives and returns its exit code. Every pass
// that finds the queue empty draws a frame when one is due, else sleeps 1 ms,
// and while the output is full screen ends the saver on input activity.
int RunMainLoop(MainLoopHost& host, InputWatch& watch, uint32_t& lastFrameTime);
