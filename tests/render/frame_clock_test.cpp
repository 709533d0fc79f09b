#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "render/frame_clock.h"

namespace {

constexpr uint64_t wrapMicroseconds = timeWrapUnits * microsecondsPerTimeUnit;

TEST(FrameClockTest, OneUnitPer16MillisecondsSinceTheFirstFrameWrappedBeforeFloatStepsGrow)
{
    struct {
        uint64_t microseconds;
        float time;
    } const cases[] = {
        {0, 0.0f},
        {8000, 0.5f},
        {16000, 1.0f},
        {1000000, 62.5f},                                       // a second
        {16667, 1.0416875f},                                    // one refresh at 60 Hz
        {wrapMicroseconds - 16000, float(timeWrapUnits - 1)},
        {wrapMicroseconds - 125, float(timeWrapUnits) - 0.0078125f},  // the last step before the wrap
        {wrapMicroseconds, 0.0f},
        {wrapMicroseconds + 16000, 1.0f},
        {3 * wrapMicroseconds + 8000, 0.5f},
        {uint64_t{40} * 24 * 3600 * 1000000, 40642.0f},              // 40 days on
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(SceneTimeAt(c.microseconds), c.time) << c.microseconds << " us";
    }
}

TEST(FrameClockTest, TheWrapIsInvisibleInTheWavePhaseAtEverySpeed)
{
    // The waves advance by t * 0.2f * speed / 100 radians; at the wrap the
    // phase must land (almost) where it started, far closer than one step.
    for (int speed = 50; speed <= 200; ++speed) {
        const double step = static_cast<double>(0.2f) * (speed / 100.0);
        const double phase = std::fmod(static_cast<double>(timeWrapUnits) * step, 2.0 * M_PI);
        EXPECT_LT(std::min(phase, 2.0 * M_PI - phase), step / 500.0) << speed << " %";
    }
}

TEST(FrameClockTest, CountsFromTheFirstFrameAndRestarts)
{
    SceneClock clock;
    EXPECT_EQ(clock.FrameTime(5000000), 0.0f);
    EXPECT_EQ(clock.FrameTime(5016000), 1.0f);
    EXPECT_EQ(clock.FrameTime(5100000), 6.25f) << "a late frame loses no time";
    EXPECT_EQ(clock.MicrosecondsSinceFirstFrame(), 100000u);
    clock.Restart();
    EXPECT_EQ(clock.FrameTime(7000000), 0.0f);
    EXPECT_EQ(clock.FrameTime(7032000), 2.0f);
}

}  // namespace
