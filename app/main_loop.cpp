#include "app/main_loop.h"

#include "render/input_watch.h"

bool FrameIsDue(uint32_t now, uint32_t lastFrameTime)
{
    return static_cast<uint32_t>(now - lastFrameTime) >= frameInterval;
}

uint32_t MillisecondsUntilNextFrame(uint32_t now, uint32_t lastFrameTime)
{
    const uint32_t elapsed = now - lastFrameTime;
    return elapsed >= frameInterval ? 0 : frameInterval - elapsed;
}

// inputMayHaveChanged: a message was dispatched since the watch last looked.
// The thread's keyboard state only changes as input messages are removed, so
// between frames the watch looks again only after messages; after every frame
// it looks anyway, which also catches a cursor moved without a message.
static void RunIdlePass(MainLoopHost& host, InputWatch& watch, uint32_t& lastFrameTime, bool& inputMayHaveChanged)
{
    const uint32_t now = host.Milliseconds();
    const bool frameIsDue = FrameIsDue(now, lastFrameTime);
    if (frameIsDue) {
        // Measured start to start: drawing time counts towards the next interval.
        lastFrameTime = now;
        host.DrawFrame();
    }

    if (host.OutputIsFullScreen() && (frameIsDue || inputMayHaveChanged)) {
        inputMayHaveChanged = false;
        watch.Snapshot();
        if (watch.ActivityDetected()) {
            host.RequestQuit();
            return;
        }
    }

    // Waiting right after a frame saves a pass that would only find the queue
    // empty again; a message that came during the frame ends the wait at once.
    const uint32_t untilNextFrame = MillisecondsUntilNextFrame(frameIsDue ? host.Milliseconds() : now, lastFrameTime);
    if (untilNextFrame > 0) {
        host.WaitForMessageOrTimeout(untilNextFrame);
    }
}

int RunMainLoop(MainLoopHost& host, InputWatch& watch, uint32_t& lastFrameTime)
{
    bool inputMayHaveChanged = false;
    for (;;) {
        int exitCode = 0;
        switch (host.PumpOneMessage(exitCode)) {
        case MessagePass::Quit:
            return exitCode;
        case MessagePass::Dispatched:
            inputMayHaveChanged = true;
            break;
        case MessagePass::QueueEmpty:
            RunIdlePass(host, watch, lastFrameTime, inputMayHaveChanged);
            break;
        }
    }
}
