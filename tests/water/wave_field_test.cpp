#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "water/wave_field.h"

namespace {

// Frames at `framesPerSecond` from `from` to `to` seconds, the last at exactly
// `to`.
void RunFrames(WaveField& field, int32_t framesPerSecond, double from, double to)
{
    const int32_t frames = static_cast<int32_t>(std::lround((to - from) * framesPerSecond));
    for (int32_t k = 0; k <= frames; ++k) {
        field.AdvanceTo(k == frames ? to : from + static_cast<double>(k) / framesPerSecond);
    }
}

float LargestHeight(const WaveField& field)
{
    float largest = 0.0f;
    for (const float h : field.Heights().elements) {
        largest = std::max(largest, std::fabs(h));
    }
    return largest;
}

TEST(WaveField, TheSameHeightsAfterOneSecondAtAnyFrameRate)
{
    for (const int32_t mode : {Rings, Crossed, Rain}) {
        WaveField at60;
        at60.Init(64, 36, mode, 130, 5);
        RunFrames(at60, 60, 0.0, 1.0);
        ASSERT_GT(LargestHeight(at60), 0.02f) << mode;  // risen enough to tell frame rates apart
        for (const int32_t rate : {30, 144}) {
            WaveField other;
            other.Init(64, 36, mode, 130, 5);
            RunFrames(other, rate, 0.0, 1.0);
            EXPECT_EQ(at60.Heights().elements, other.Heights().elements) << mode << " at " << rate << " Hz";
        }
    }
}

// A stall of ten seconds runs a bounded number of steps, not ten seconds'.
TEST(WaveField, AStallSkipsAheadInsteadOfCatchingUp)
{
    WaveField stalled, bounded;
    for (WaveField* field : {&stalled, &bounded}) {
        field->Init(40, 30, Rain, 100, 3);
        field->AdvanceTo(0.0);
    }
    stalled.AdvanceTo(10.0);
    bounded.AdvanceTo(static_cast<double>(WaveField::maxStepsPerAdvance) / WaveField::stepsPerSecond);
    EXPECT_EQ(bounded.Heights().elements, stalled.Heights().elements);
}

// The outermost cell of the centre row, right of the drop, that the ring has
// reached.
int32_t RingFront(const WaveField& field)
{
    const Grid2D<float>& h = field.Heights();
    const int32_t j = h.height / 2;
    float largest = 0.0f;
    for (int32_t i = h.width / 2; i < h.width; ++i) {
        largest = std::max(largest, std::fabs(h.At(i, j)));
    }
    int32_t front = h.width / 2;
    for (int32_t i = h.width / 2; i < h.width; ++i) {
        front = std::fabs(h.At(i, j)) > 0.05f * largest ? i : front;
    }
    return front;
}

double SumOfSquares(const WaveField& field)
{
    double sum = 0.0;
    for (const float h : field.Heights().elements) {
        sum += static_cast<double>(h) * h;
    }
    return sum;
}

WaveField OneDrop(int32_t columns, int32_t rows, int32_t speed)
{
    WaveField field;
    field.Init(columns, rows, Rain, speed);
    field.dropsPerSecond = 0.0;
    field.AdvanceTo(0.0);
    field.AddDrop(0.5f, 0.5f, 1.0f);
    return field;
}

TEST(WaveField, ADropsRingSpreadsAtTheSpeedSetAndFades)
{
    double previousFade = 1.0;
    for (const int32_t speed : {50, 100, 200}) {
        SCOPED_TRACE(testing::Message() << speed << " %");
        WaveField field = OneDrop(160, 120, speed);
        RunFrames(field, 60, 0.0, 0.5);
        const int32_t early = RingFront(field);
        RunFrames(field, 60, 0.5, 1.0);
        const double cellsPerSecond = (RingFront(field) - early) / 0.5;
        EXPECT_NEAR(WaveField::ringHeightsPerSecond * 120 * speed / 100.0, cellsPerSecond, 0.12 * cellsPerSecond);

        // Beyond the spreading, the motion dies away: between two and four
        // seconds, reflected to and fro in a small box, it loses energy, and
        // faster at a higher speed.
        WaveField boxed = OneDrop(64, 48, speed);
        RunFrames(boxed, 60, 0.0, 2.0);
        const double atTwo = SumOfSquares(boxed);
        RunFrames(boxed, 60, 2.0, 4.0);
        const double fade = SumOfSquares(boxed) / atTwo;
        EXPECT_LT(fade, 0.8);
        EXPECT_LT(fade, previousFade);
        previousFade = fade;
    }
}

// Each drop presses water aside; the level of the whole stays where it was.
TEST(WaveField, RainKeepsTheWaterLevel)
{
    WaveField field;
    field.Init(60, 40, Rain, 200);
    field.dropsPerSecond = 20.0;
    RunFrames(field, 60, 0.0, 10.0);
    double sum = 0.0;
    for (const float h : field.Heights().elements) {
        sum += h;
    }
    EXPECT_NEAR(0.0, sum / static_cast<double>(field.Heights().elements.size()), 1e-3);
    EXPECT_GT(LargestHeight(field), 0.05f);
}

}  // namespace
