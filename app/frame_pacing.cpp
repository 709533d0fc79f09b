#include "app/frame_pacing.h"

#include <algorithm>

#include "app/main_loop.h"

static const int32_t maximumFramesPerSecond = 120;

int32_t RefreshesPerFrame(int32_t refreshHz)
{
    if (refreshHz <= 1) {
        return 1;
    }
    return (refreshHz + maximumFramesPerSecond - 1) / maximumFramesPerSecond;
}

FramePacing::FramePacing(uint32_t displayFrameMicroseconds)
    : displayFrameMicroseconds(displayFrameMicroseconds),
      pacing(displayFrameMicroseconds == 0 ? Pacing::Timer : Pacing::Measuring)
{
}

uint32_t FramePacing::MinimumFrameInterval() const
{
    switch (pacing) {
    case Pacing::Measuring:
        return displayFrameMicroseconds / 2000;
    case Pacing::Display:
        return displayFrameMicroseconds * 3 / 4000;
    case Pacing::Timer:
        break;
    }
    return frameInterval;
}

void FramePacing::FrameStarted(uint32_t milliseconds)
{
    if (pacing == Pacing::Timer) {
        return;
    }
    if (pacing == Pacing::Display) {
        // Where presenting waits, frames come a display frame apart. A run of
        // frames clearly sooner than that means it has stopped waiting (or
        // never did, and slow first frames looked as if it did): the timer
        // takes over.
        const bool early = (milliseconds - lastStart) * 1000 < displayFrameMicroseconds * 85 / 100;
        earlyFrames = early ? earlyFrames + 1 : 0;
        lastStart = milliseconds;
        if (earlyFrames >= framesMeasured) {
            pacing = Pacing::Timer;
        }
        return;
    }
    if (framesSeen > 0) {
        intervals[framesSeen - 1] = milliseconds - lastStart;
    }
    lastStart = milliseconds;
    if (++framesSeen < framesMeasured) {
        return;
    }
    // The median: one frame held up by the system, or one swap that returned
    // early, does not decide.
    uint32_t* middle = intervals + (framesMeasured - 1) / 2;
    std::nth_element(intervals, middle, intervals + framesMeasured - 1);
    pacing = *middle * 4000 >= displayFrameMicroseconds * 3 ? Pacing::Display : Pacing::Timer;
}
