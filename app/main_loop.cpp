#include "app/main_loop.h"

#include "render/input_watch.h"

bool FrameIsDue(uint32_t now, uint32_t lastFrameTime)
{
    return static_cast<uint32_t>(now - lastFrameTime) >= frameInterval;
}

static void RunIdlePass(MainLoopHost& host, InputWatch& watch, uint32_t& lastFrameTime)
{
    const uint32_t now = host.Milliseconds();
    if (FrameIsDue(now, lastFrameTime)) {
        // Measured start to start: drawing time counts towards the next interval.
        lastFrameTime = now;
        host.DrawFrame();
    } else {
        host.SleepOneMillisecond();
    }

    if (host.OutputIsFullScreen()) {
        watch.Snapshot();
        if (watch.ActivityDetected()) {
            host.RequestQuit();
        }
    }
}

int RunMainLoop(MainLoopHost& host, InputWatch& watch, uint32_t& lastFrameTime)
{
    for (;;) {
        int exitCode = 0;
        switch (host.PumpOneMessage(exitCode)) {
        case MessagePass::Quit:
            return exitCode;
        case MessagePass::Dispatched:
            break;
        case MessagePass::QueueEmpty:
            RunIdlePass(host, watch, lastFrameTime);
            break;
        }
    }
}
