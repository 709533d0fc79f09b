#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/frame_clock.h"
#include "water/water_grid.h"
#include "water/wave_field.h"

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

// Where the clock wraps, the waves must stand (almost) where they stood at
// time 0: far closer than they move in one frame, at every speed and in both
// modes.
TEST(FrameClockTest, TheWrapIsInvisibleInTheWavesAtEverySpeed)
{
    const auto largestHeightChange = [](const WaterGrid& a, const WaterGrid& b) {
        double largest = 0.0;
        for (size_t k = 0; k < a.vertices.elements.size(); ++k) {
            largest = std::max(largest, std::fabs(double(a.vertices.elements[k].z) - b.vertices.elements[k].z));
        }
        return largest;
    };
    for (int32_t mode : {int32_t{Rings}, int32_t{Crossed}}) {
        for (int32_t speed = 50; speed <= 200; ++speed) {
            WaterGrid atStart, oneFrameOn, atWrap;
            for (WaterGrid* grid : {&atStart, &oneFrameOn, &atWrap}) {
                grid->Init(20, 30, mode);
                grid->speedPercent = speed;
            }
            atStart.Animate(SceneTimeAt(0));
            oneFrameOn.Animate(SceneTimeAt(microsecondsPerTimeUnit));
            atWrap.Animate(float(timeWrapUnits));
            EXPECT_LT(largestHeightChange(atWrap, atStart), largestHeightChange(oneFrameOn, atStart) / 100)
                << "mode " << mode << ", " << speed << " %";
        }
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

// Rain steps by the seconds, so where the scene's time wraps it must neither
// pause nor start again: a field fed the scene's times stays step for step
// with one fed the true seconds, through two wraps.
TEST(FrameClockTest, TheRainCarriesOnThroughTheWraps)
{
    SceneSeconds seconds;
    WaveField fed, truth;
    for (WaveField* field : {&fed, &truth}) {
        field->Init(32, 18, Rain, 100);
    }
    for (const uint64_t wrap : {wrapMicroseconds, 2 * wrapMicroseconds}) {
        for (uint64_t at = wrap - 500000; at < wrap + 500000; at += 16667) {
            const double since = seconds.SecondsAt(SceneTimeAt(at));
            ASSERT_NEAR(since, at / 1e6, 2e-4) << at << " us";
            fed.AdvanceTo(since);
            truth.AdvanceTo(at / 1e6);
        }
    }
    EXPECT_EQ(fed.Heights().elements, truth.Heights().elements);
}

}  // namespace
