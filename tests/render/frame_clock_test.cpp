#include <gtest/gtest.h>

#include <cmath>

#include "render/frame_clock.h"

namespace {

TEST(FrameClockTest, CountsWholeFramesUpToTheWrap)
{
    EXPECT_EQ(NextFrameTime(0.0f), 1.0f);
    EXPECT_EQ(NextFrameTime(41.0f), 42.0f);
    EXPECT_EQ(NextFrameTime(frameTimeWrap - 2.0f), frameTimeWrap - 1.0f);
    EXPECT_EQ(NextFrameTime(frameTimeWrap - 1.0f), 0.0f);
}

TEST(FrameClockTest, WrapsWhileEveryCountIsStillExact)
{
    // A float counts every integer exactly only up to 2^24.
    EXPECT_LT(frameTimeWrap, 16777216.0f);
    EXPECT_EQ(static_cast<double>(frameTimeWrap), 8777327.0);
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
