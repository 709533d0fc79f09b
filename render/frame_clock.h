#pragma once

#include <cstdint>

// The scene's time comes from the clock: one unit per 16 ms since the first
// frame, so that a late or skipped frame loses no time and the waves move at
// the same speed at any frame rate (at 62.5 frames a second, one unit per
// frame).
constexpr uint64_t microsecondsPerTimeUnit = 16000;

// The time is a 32-bit float, whose steps grow with its size: it wraps back
// to 0 while they stay below 1/128 unit (an eighth of a millisecond). The
// waves' phase is time * 0.2f * speed / 100 radians; at this count it lies
// within 1.6e-4 rad of a whole number of turns for every speed from 50 to 200
// percent, far below one frame's step of at least 0.1 rad, so the wrap cannot
// be seen. It comes round every 22.6 minutes.
constexpr uint64_t timeWrapUnits = 84823;

// The scene time of a frame starting that long after the first one.
float SceneTimeAt(uint64_t microsecondsSinceFirstFrame);

// Times the frames of one run of the scene from any steady microsecond clock.
class SceneClock {
public:
    // The time for a frame starting at `nowMicroseconds`; 0 for the first
    // frame after construction or Restart.
    float FrameTime(uint64_t nowMicroseconds);
    void Restart() { started = false; }
    // From the first frame to the start of the latest one.
    uint64_t MicrosecondsSinceFirstFrame() const { return latest - first; }

private:
    bool started = false;
    uint64_t first = 0;
    uint64_t latest = 0;
};

// The seconds since the first frame that a run of scene times stands for,
// carried on across the wraps: for what follows the seconds themselves and
// would stumble where they fall back (rain steps by the clock, and its drops
// follow the steps). A time that falls by more than half the wrap period has
// wrapped; a smaller fall is passed on as it is.
class SceneSeconds {
public:
    double SecondsAt(float sceneTime);

private:
    float last = 0.0f;
    uint64_t wraps = 0;
};
