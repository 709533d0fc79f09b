#include "water/wave_field.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const double pi = 3.14159265358979323846;

// The classic look's grid, whose formulas Rings and Crossed evaluate: its
// vertex indices run across the picture, its centre at the truncated half.
const int32_t classicColumns = 20;
const int32_t classicRows = 30;

// The classic phase advances 0.2 rad per 16 ms time unit at Speed 100 %.
const double classicRadiansPerSecond = 0.2 / 0.016;

// Rain's drops: a cosine dimple this wide (in monitor heights, and at least
// minDropCells so that the grid resolves it and its ring stays round).
const double dropRadiusHeights = 0.025;
const double minDropCells = 2.5;
// Random drops are this deep, from shallow to deep.
const double shallowestDrop = 0.8;
const double deepestDrop = 1.6;
// The motion's amplitude falls by e every 1 / ringFadePerSecond seconds at
// Speed 100 %, beside the spreading that thins every ring.
const double ringFadePerSecond = 0.5;
// Below this Courant number (ring speed x sub-step / cell) the explicit
// scheme is stable and its rings nearly round.
const double largestCourant = 0.5;

int32_t HeldSpeed(int32_t percent)
{
    return std::min(200, std::max(50, percent));
}

// Eases in and out, so the rise starts and ends without a jolt.
double SmoothStep(double x)
{
    x = std::min(1.0, std::max(0.0, x));
    return x * x * (3.0 - 2.0 * x);
}

// The waves' share of their full height at x (0 to 1) of the rise: still for
// the first frames (a thirtieth of their height a third of the way in),
// smooth at both ends.
double RiseAt(double x)
{
    const double clamped = std::min(1.0, std::max(0.0, x));
    return SmoothStep(clamped * clamped);
}

// One step of the wave equation for one row: `next` holds the row one step
// ago on entry and the new row on return. The Laplacian takes the diagonal
// neighbours too, with weights that make it the same in every direction, so
// that rings stay round rather than square. Edge cells mirror themselves,
// which reflects the rings.
inline float Laplacian(const float* above, const float* row, const float* below, int32_t l, int32_t i, int32_t r)
{
    const float sides = above[i] + below[i] + row[l] + row[r];
    const float corners = above[l] + above[r] + below[l] + below[r];
    return (4.0f * sides + corners - 20.0f * row[i]) * (1.0f / 6.0f);
}

void StepRow(const float* above, const float* row, const float* below, float* next, int32_t columns, float keep,
             float courantSquared)
{
    const int32_t last = columns - 1;
    const auto stepCell = [&](int32_t l, int32_t i, int32_t r) {
        next[i] = row[i] + keep * (row[i] - next[i]) + courantSquared * Laplacian(above, row, below, l, i, r);
    };
    stepCell(0, 0, last > 0 ? 1 : 0);
    for (int32_t i = 1; i < last; ++i) {
        stepCell(i - 1, i, i + 1);
    }
    if (last > 0) {
        stepCell(last - 1, last, last);
    }
}

}  // namespace

void WaveField::Init(int32_t columns, int32_t rows, int32_t mode, int32_t percent, uint32_t seed)
{
    columns = std::max(1, columns);
    rows = std::max(1, rows);
    waveMode = mode;
    heights.Resize(columns, rows, 0.0f);
    previous = Grid2D<float>{};
    ringSine = Grid2D<float>{};
    ringCosine = Grid2D<float>{};
    columnWave.clear();
    rowWave.clear();
    stepsDone = 0;
    stepOrigin = 0.0;
    started = false;
    risen = false;
    startSeconds = 0.0;
    lastSeconds = 0.0;
    // SplitMix64's state may be anything; the seed only decides where it starts.
    randomState = 0x9E3779B97F4A7C15ull * (static_cast<uint64_t>(seed) + 1u);

    if (waveMode == Rings) {
        ringSine.Resize(columns, rows, 0.0f);
        ringCosine.Resize(columns, rows, 0.0f);
        for (int32_t j = 0; j < rows; ++j) {
            const double f = (j + 0.5) / rows * (classicRows - 1) - classicRows / 2;
            for (int32_t i = 0; i < columns; ++i) {
                const double d = (i + 0.5) / columns * (classicColumns - 1) - classicColumns / 2;
                // 1.5 under the root squeezes the rings along the rows, as
                // the classic grid does.
                const double angle = std::sqrt(d * d + 1.5 * f * f) * 1.5;
                ringSine.At(i, j) = static_cast<float>(std::sin(angle));
                ringCosine.At(i, j) = static_cast<float>(std::cos(angle));
            }
        }
    }
    if (waveMode == Crossed) {
        columnWave.assign(static_cast<size_t>(columns), 0.0f);
        rowWave.assign(static_cast<size_t>(rows), 0.0f);
    }
    if (waveMode == Rain) {
        previous.Resize(columns, rows, 0.0f);
    }
    SetSpeedPercent(percent);
}

void WaveField::SetSpeedPercent(int32_t percent)
{
    speedPercent = HeldSpeed(percent);
    const double speed = speedPercent / 100.0;
    const double cellsPerStep = RingCellsPerSecond() / stepsPerSecond;
    subSteps = std::max(1, static_cast<int32_t>(std::ceil(cellsPerStep / largestCourant)));
    const double courant = cellsPerStep / subSteps;
    courantSquared = static_cast<float>(courant * courant);
    const double subStepSeconds = 1.0 / (static_cast<double>(stepsPerSecond) * subSteps);
    // Keeping k of the motion per sub-step fades the amplitude by about
    // (1 - k) / 2 per sub-step.
    keep = static_cast<float>(std::max(0.0, 1.0 - 2.0 * ringFadePerSecond * speed * subStepSeconds));
}

double WaveField::RingCellsPerSecond() const
{
    return ringHeightsPerSecond * (speedPercent / 100.0) * heights.height;
}

void WaveField::AdvanceTo(double seconds)
{
    if (!(seconds >= 0.0) || !std::isfinite(seconds)) {
        // A clock gone wrong (NaN, infinite or negative) holds the water still
        // rather than filling it with NaNs, which the light's bytes cannot hold.
        seconds = started ? lastSeconds : 0.0;
    }
    if (!started) {
        started = true;
        startSeconds = seconds;
        lastSeconds = seconds;
        stepOrigin = seconds;
    }
    if (seconds < lastSeconds) {
        // The clock wrapped: the water is long risen, and stays so.
        risen = true;
    }
    lastSeconds = seconds;

    double rise = 1.0;
    if (!risen) {
        rise = RiseAt((seconds - startSeconds) / riseSeconds);
        risen = rise >= 1.0;
    }
    // Radians of the classic phase, reduced in double so that a long run keeps
    // the float sines exact.
    const double phase = std::fmod(seconds * classicRadiansPerSecond * (speedPercent / 100.0), 2.0 * pi);
    if (waveMode == Rings) {
        EvaluateRings(static_cast<float>(phase), static_cast<float>(rise));
    } else if (waveMode == Crossed) {
        EvaluateCrossed(static_cast<float>(phase), static_cast<float>(rise));
    } else if (waveMode == Rain) {
        AdvanceRain(seconds);
    }
}

void WaveField::EvaluateRings(float phase, float amplitude)
{
    // sin(angle - phase) = sin(angle) cos(phase) - cos(angle) sin(phase).
    const float a = amplitude * std::cos(phase);
    const float b = -amplitude * std::sin(phase);
    const size_t count = heights.elements.size();
    for (size_t k = 0; k < count; ++k) {
        heights.elements[k] = ringSine.elements[k] * a + ringCosine.elements[k] * b;
    }
}

void WaveField::EvaluateCrossed(float phase, float amplitude)
{
    const int32_t columns = heights.width;
    const int32_t rows = heights.height;
    for (int32_t i = 0; i < columns; ++i) {
        const double d = (i + 0.5) / columns * (classicColumns - 1) - classicColumns / 2;
        columnWave[static_cast<size_t>(i)] = amplitude * static_cast<float>(std::sin(d - phase));
    }
    for (int32_t j = 0; j < rows; ++j) {
        const double f = (j + 0.5) / rows * (classicRows - 1) - classicRows / 2;
        rowWave[static_cast<size_t>(j)] = amplitude * static_cast<float>(std::sin(f - phase));
    }
    for (int32_t j = 0; j < rows; ++j) {
        float* row = &heights.At(0, j);
        const float across = rowWave[static_cast<size_t>(j)];
        for (int32_t i = 0; i < columns; ++i) {
            row[i] = columnWave[static_cast<size_t>(i)] + across;
        }
    }
}

void WaveField::AdvanceRain(double seconds)
{
    int64_t due = static_cast<int64_t>(std::floor((seconds - stepOrigin) * stepsPerSecond + 1e-6)) - stepsDone;
    if (due < 0) {
        // The clock went back: count steps from here on.
        stepOrigin = seconds - static_cast<double>(stepsDone) / stepsPerSecond;
        due = 0;
    }
    if (due > maxStepsPerAdvance) {
        // A stall: the steps beyond the bound are skipped, not owed.
        stepOrigin += static_cast<double>(due - maxStepsPerAdvance) / stepsPerSecond;
        due = maxStepsPerAdvance;
    }
    const double riseSteps = riseSeconds * stepsPerSecond;
    for (int64_t k = 0; k < due; ++k) {
        DropRandomly(RiseAt(static_cast<double>(stepsDone) / riseSteps));
        Step();
        ++stepsDone;
    }
}

void WaveField::DropRandomly(double rise)
{
    const double chance = dropsPerSecond * (speedPercent / 100.0) / stepsPerSecond;
    // Always the same draws per step, so the rain does not depend on the rise.
    const double draw = NextUnit();
    const double u = NextUnit();
    const double v = NextUnit();
    const double depth = shallowestDrop + (deepestDrop - shallowestDrop) * NextUnit();
    if (draw < chance && rise > 0.0) {
        PlaceDrop(static_cast<float>(u), static_cast<float>(v), static_cast<float>(depth * rise));
    }
}

void WaveField::AddDrop(float u, float v, float depth)
{
    if (waveMode == Rain) {
        PlaceDrop(u, v, depth);
    }
}

void WaveField::PlaceDrop(float u, float v, float depth)
{
    const int32_t columns = heights.width;
    const int32_t rows = heights.height;
    const double radius = std::max(minDropCells, dropRadiusHeights * rows);
    const double cx = static_cast<double>(u) * columns - 0.5;
    const double cy = static_cast<double>(v) * rows - 0.5;
    const int32_t firstColumn = std::max(0, static_cast<int32_t>(std::floor(cx - radius)));
    const int32_t lastColumn = std::min(columns - 1, static_cast<int32_t>(std::ceil(cx + radius)));
    const int32_t firstRow = std::max(0, static_cast<int32_t>(std::floor(cy - radius)));
    const int32_t lastRow = std::min(rows - 1, static_cast<int32_t>(std::ceil(cy + radius)));
    double pressedAway = 0.0;
    for (int32_t j = firstRow; j <= lastRow; ++j) {
        for (int32_t i = firstColumn; i <= lastColumn; ++i) {
            const double r = std::hypot(i - cx, j - cy);
            if (r < radius) {
                // Pressed into both the present and the past: the drop starts
                // the water from rest, and its ring leaves evenly all round.
                const float dimple = static_cast<float>(depth * 0.5 * (1.0 + std::cos(pi * r / radius)));
                heights.At(i, j) -= dimple;
                previous.At(i, j) -= dimple;
                pressedAway += dimple;
            }
        }
    }
    // The edges keep the water in, so each dimple would lower the level for
    // good, and rain would sink the surface: the water it displaced rises
    // everywhere at once instead, which makes no wave.
    const float rise = static_cast<float>(pressedAway / static_cast<double>(heights.elements.size()));
    for (size_t k = 0; k < heights.elements.size(); ++k) {
        heights.elements[k] += rise;
        previous.elements[k] += rise;
    }
}

void WaveField::Step()
{
    const int32_t columns = heights.width;
    const int32_t rows = heights.height;
    for (int32_t s = 0; s < subSteps; ++s) {
        for (int32_t j = 0; j < rows; ++j) {
            const float* above = &heights.At(0, j > 0 ? j - 1 : j);
            const float* below = &heights.At(0, j + 1 < rows ? j + 1 : j);
            StepRow(above, &heights.At(0, j), below, &previous.At(0, j), columns, keep, courantSquared);
        }
        std::swap(heights.elements, previous.elements);
    }
}

// SplitMix64: small, fast and the same on every compiler, unlike the standard
// library's distributions.
double WaveField::NextUnit()
{
    uint64_t z = (randomState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}
