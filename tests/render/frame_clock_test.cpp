#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "render/frame_clock.h"

namespace {

TEST(FrameClockTest, CountsWholeFramesUpToTheWrap)
{
    EXPECT_EQ(NextFrameTime(0.0f), 1.0f);
    EXPECT_EQ(NextFrameTime(41.0f), 42.0f);
    EXPECT_EQ(NextFrameTime(frameTimeWrap - 2.0f), frameTimeWrap - 1.0f);
    EXPECT_EQ(NextFrameTime(frameTimeWrap - 1.0f), 0.0f);
}

TEST(FrameClockTest, EveryFrameOfAWholeCycleAdvancesByExactlyOne)
{
    // A float past 2^24 no longer grows by 1: a counter that got there would
    // stall, and the waves with it. Walk a whole cycle, some nine million
    // frames, and allow twice as many steps in case the wrap never comes.
    float time = 0.0f;
    int64_t frames = 0;
    do {
        const float next = NextFrameTime(time);
        ASSERT_TRUE(next == 0.0f || next - time == 1.0f) << "after " << time;
        time = next;
        ++frames;
    } while (time != 0.0f && frames < (int64_t{1} << 25));
    EXPECT_EQ(time, 0.0f) << "no wrap within 2^25 frames";
    EXPECT_LT(frames, int64_t{1} << 24);
}

TEST(FrameClockTest, TheWrapIsInvisibleInTheWavePhase)
{
    // The waves advance by t * 0.2f radians; at the wrap the phase must land
    // (almost) where it started, far closer than one frame's step.
    const double step = static_cast<double>(0.2f);
    const double phase = std::fmod(static_cast<double>(frameTimeWrap) * step, 2.0 * M_PI);
    const double jump = std::min(phase, 2.0 * M_PI - phase);
    EXPECT_LT(jump, step / 1000.0);
}

}  // namespace
