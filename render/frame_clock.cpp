#include "render/frame_clock.h"

float SceneTimeAt(uint64_t microsecondsSinceFirstFrame)
{
    const uint64_t sinceWrap = microsecondsSinceFirstFrame % (timeWrapUnits * microsecondsPerTimeUnit);
    return static_cast<float>(static_cast<double>(sinceWrap) / static_cast<double>(microsecondsPerTimeUnit));
}

float SceneClock::FrameTime(uint64_t nowMicroseconds)
{
    if (!started) {
        started = true;
        first = nowMicroseconds;
    }
    // A clock that steps back (it should not) holds the time still instead
    // of throwing it a whole wrap ahead.
    latest = nowMicroseconds > first ? nowMicroseconds : first;
    return SceneTimeAt(latest - first);
}

double SceneSeconds::SecondsAt(float sceneTime)
{
    if (sceneTime < last - 0.5f * static_cast<float>(timeWrapUnits)) {
        ++wraps;
    }
    last = sceneTime;
    const double units = static_cast<double>(wraps * timeWrapUnits) + static_cast<double>(sceneTime);
    return units * (static_cast<double>(microsecondsPerTimeUnit) / 1e6);
}
