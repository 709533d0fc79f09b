#include "app/main_loop.h"

#include "app/frame_pacing.h"
#include "render/input_watch.h"

bool FrameIsDue(uint32_t now, uint32_t lastFrameTime, uint32_t interval)
{
    return static_cast<uint32_t>(now - lastFrameTime) >= interval;
}

uint32_t MillisecondsUntilNextFrame(uint32_t now, uint32_t lastFrameTime, uint32_t interval)
{
    const uint32_t elapsed = now - lastFrameTime;
    return elapsed >= interval ? 0 : interval - elapsed;
}

// Between looks of the input watch: messages dispatched, and frames drawn.
struct InputWatchSchedule {
    bool messagesDispatched = false;
    uint32_t framesDrawn = 0;
};

// The thread's keyboard state only changes as this loop removes input
// messages, and a key, a click or a move over the saver's window each bring
// one, so the watch looks right after messages. It also looks every fourth
// frame (64 ms): the cursor can move without a message reaching this thread,
// for instance while another program holds the pointer. Under Wine each look
// costs about six round trips to the Wine server and the X server.
constexpr uint32_t framesBetweenInputLooks = 4;

static void RunIdlePass(MainLoopHost& host, InputWatch& watch, uint32_t& lastFrameTime, FramePacing* pacing,
                        InputWatchSchedule& schedule)
{
    const bool visible = host.OutputIsVisible();
    const uint32_t interval = pacing != nullptr ? pacing->MinimumFrameInterval() : frameInterval;
    const uint32_t now = host.Milliseconds();
    const bool frameIsDue = visible && FrameIsDue(now, lastFrameTime, interval);
    if (frameIsDue) {
        // Measured start to start: drawing time counts towards the next
        // interval. Where presenting waits for the display, drawing takes
        // until the display shows the frame, and the next one is due at once.
        lastFrameTime = now;
        if (pacing != nullptr) {
            pacing->FrameStarted(now);
        }
        host.DrawFrame();
        ++schedule.framesDrawn;
    }

    if (host.OutputIsFullScreen() &&
        (schedule.messagesDispatched || schedule.framesDrawn >= framesBetweenInputLooks)) {
        schedule = InputWatchSchedule();
        watch.Snapshot();
        if (watch.ActivityDetected()) {
            host.RequestQuit();
            return;
        }
    }

    // Nobody sees a frame: nothing but a message (the display back on, the
    // session unlocked, input) is worth waking for.
    if (!visible) {
        host.WaitForMessage();
        return;
    }
    // Waiting right after a frame saves a pass that would only find the queue
    // empty again; a message that came during the frame ends the wait at once.
    // The first frames may have just settled the pacing.
    const uint32_t nextInterval = pacing != nullptr ? pacing->MinimumFrameInterval() : frameInterval;
    const uint32_t untilNextFrame =
        MillisecondsUntilNextFrame(frameIsDue ? host.Milliseconds() : now, lastFrameTime, nextInterval);
    if (untilNextFrame > 0) {
        host.WaitForMessageOrTimeout(untilNextFrame);
    }
}

int RunMainLoop(MainLoopHost& host, InputWatch& watch, uint32_t& lastFrameTime, FramePacing* pacing)
{
    InputWatchSchedule schedule;
    for (;;) {
        int exitCode = 0;
        switch (host.PumpOneMessage(exitCode)) {
        case MessagePass::Quit:
            return exitCode;
        case MessagePass::Touched:
            // A press and its release removed in one batch leave the key
            // state as it was, and a wheel turn never changes it: only the
            // message tells.
            if (host.OutputIsFullScreen()) {
                host.RequestQuit();
            }
            schedule.messagesDispatched = true;
            break;
        case MessagePass::Dispatched:
            schedule.messagesDispatched = true;
            break;
        case MessagePass::QueueEmpty:
            RunIdlePass(host, watch, lastFrameTime, pacing, schedule);
            break;
        }
    }
}
