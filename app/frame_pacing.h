#pragma once

#include <cstdint>

// How many refreshes of a display at `refreshHz` each frame stays on screen:
// the fewest that keep the rate at or below 120 frames a second (60 Hz: 1,
// 144 Hz: 2). An unknown rate (0 or 1, as the system reports it) counts as
// 60 Hz.
int32_t RefreshesPerFrame(int32_t refreshHz);

enum class Pacing {
    Measuring,  // frames drawn close together, to see whether presenting waits
    Display,    // presenting waits for the display: frames follow it
    Timer,      // presenting returns at once: a timer spaces the frames
};

// Chooses between display and timer pacing from what the frames actually do:
// a driver may accept a swap interval and still not wait (software renderers,
// remote sessions, a virtual X display). The first frames are drawn with half
// the display's frame time between their starts; where presenting waits they
// come a whole frame time apart, else sooner. Paced by the display, a run of
// frames that come sooner hands the pacing to the timer for good.
class FramePacing {
public:
    static constexpr int framesMeasured = 12;

    // `displayFrameMicroseconds`: how long one frame stays on screen with the
    // swap interval set; 0 where no swap interval could be set.
    explicit FramePacing(uint32_t displayFrameMicroseconds);

    Pacing Current() const { return pacing; }
    // The least time between the starts of two frames: 16 ms for the timer;
    // three quarters of the display's frame time otherwise, so that a display
    // whose presenting waits sets the pace, and one that stopped waiting
    // still cannot drive frames faster than a third over its rate.
    uint32_t MinimumFrameInterval() const;
    // Called with each frame's start in milliseconds.
    void FrameStarted(uint32_t milliseconds);

private:
    uint32_t displayFrameMicroseconds;
    Pacing pacing;
    uint32_t intervals[framesMeasured - 1] = {};
    int framesSeen = 0;
    int earlyFrames = 0;  // in a row, while paced by the display
    uint32_t lastStart = 0;
};
