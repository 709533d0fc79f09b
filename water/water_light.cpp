#include "water/water_light.h"

#include <algorithm>
#include <cmath>

namespace {

// The water as the light sees it, in monitor heights. A height of 1 lifts the
// surface by surfaceAmplitude; the picture lies `depth` below it; light and
// view bend at the surface by Snell's law with water's index, which for
// small slopes moves what is seen by depth x (1 - 1 / index) x slope.
const float surfaceAmplitude = 0.0022f;
const float depth = 0.4f;
const float waterIndex = 1.33f;
const float displacementPerGradient = surfaceAmplitude * depth * (1.0f - 1.0f / waterIndex);
// The caustics focus the light falling straight down as if through twice the
// depth: through the view's own they would hardly show at these gentle slopes.
const float focusPerCurvature = 2.0f * displacementPerGradient;
// Where the focus would pass a point (the light of a whole cell onto less
// than a fifth of it), the brightness stops growing.
const float sharpestFocus = 0.2f;

// The surface slope at which it faces the light above the water (the slope
// of the half-way direction between the light and the eye straight above),
// and how far from it a glint still shows: a small circle of slopes, so the
// glints are sharp.
const float glintSlopeX = -0.035f;
const float glintSlopeY = -0.045f;
const float glintSlopeRadius = 0.03f;
// The sky's share of the reflection at the steepest flanks (slope steepSlope
// and more), growing as the slope squared below it.
const float skyAtSteepFlanks = 0.22f;
const float steepSlope = 0.12f;

// Rounding by adding a half and truncating: every value is positive there,
// and it costs far less than a call per channel.
uint8_t SignedByte(float value)
{
    return static_cast<uint8_t>(value * 127.0f + 128.5f);
}

uint8_t UnsignedByte(float value)
{
    return static_cast<uint8_t>(std::min(255.0f, value + 0.5f));
}

// What one cell's light works out from it and its four neighbours' heights;
// the grid's scales turn differences into gradients and curvatures per
// monitor height (cells are square, 1 / rows of the monitor's height).
struct CellInputs {
    float gradientScale;
    float curvatureScale;
};

struct CellLight {
    float dx;         // displacement across, in displacementFullScale
    float dy;         // displacement down, likewise
    float bright;     // caustic brightness before the mean is taken out
    float reflected;  // glint and sky, 0..1
};

inline CellLight LightOfCell(float left, float right, float above, float below, float centre, const CellInputs& in)
{
    const float gradientX = (right - left) * in.gradientScale;
    const float gradientY = (below - above) * in.gradientScale;
    const float curvature = (left + right + above + below - 4.0f * centre) * in.curvatureScale;
    CellLight light;

    // Refraction: held within the limit, keeping its direction (without a
    // branch, so that the row's loop runs in vector lanes).
    const float limit = displacementFullScale;
    const float dx = gradientX * (displacementPerGradient / limit);
    const float dy = gradientY * (displacementPerGradient / limit);
    const float shorten = std::min(1.0f, 1.0f / std::sqrt(std::max(1.0f, dx * dx + dy * dy)));
    light.dx = dx * shorten;
    light.dy = dy * shorten;

    // Caustics: a cell's light lands on 1 + focus x curvature of its area
    // (crests gather it, troughs spread it). 2 / (1 + area) is the
    // brightness 1 / area eased towards 2, so bright lines stay within the
    // byte.
    const float area = std::max(sharpestFocus, 1.0f + focusPerCurvature * curvature);
    light.bright = 2.0f / (1.0f + area);

    // Glints and sky, from the surface's slope.
    const float slopeX = gradientX * surfaceAmplitude;
    const float slopeY = gradientY * surfaceAmplitude;
    const float offX = (slopeX - glintSlopeX) * (1.0f / glintSlopeRadius);
    const float offY = (slopeY - glintSlopeY) * (1.0f / glintSlopeRadius);
    const float nearGlint = std::max(0.0f, 1.0f - (offX * offX + offY * offY));
    const float glint = nearGlint * nearGlint * nearGlint;
    const float steepness =
        std::min(1.0f, (slopeX * slopeX + slopeY * slopeY) * (1.0f / (steepSlope * steepSlope)));
    light.reflected = std::min(1.0f, glint + skyAtSteepFlanks * steepness);
    return light;
}

}  // namespace

void WaterLight::Init(int32_t columnCount, int32_t rowCount)
{
    columns = std::max(0, columnCount);
    rows = std::max(0, rowCount);
    const size_t cells = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    texels.assign(cells * 4, 0);
    brightness.assign(cells, 1.0f);
    rowLight.assign(static_cast<size_t>(columns) * 3, 0.0f);
}

void WaterLight::Compute(const WaveField& field)
{
    if (field.Columns() != columns || field.Rows() != rows) {
        Init(field.Columns(), field.Rows());
    }
    if (columns == 0 || rows == 0) {
        return;
    }
    const Grid2D<float>& h = field.Heights();
    const CellInputs in{0.5f * static_cast<float>(rows), static_cast<float>(rows) * static_cast<float>(rows)};
    const int32_t last = columns - 1;
    float* across = rowLight.data();
    float* down = across + columns;
    float* reflected = down + columns;
    double brightnessSum = 0.0;

    for (int32_t j = 0; j < rows; ++j) {
        const float* above = &h.At(0, j > 0 ? j - 1 : j);
        const float* row = &h.At(0, j);
        const float* below = &h.At(0, j + 1 < rows ? j + 1 : j);
        float* bright = &brightness[static_cast<size_t>(j) * static_cast<size_t>(columns)];
        const auto light = [&](int32_t l, int32_t i, int32_t r) {
            const CellLight cell = LightOfCell(row[l], row[r], above[i], below[i], row[i], in);
            across[i] = cell.dx;
            down[i] = cell.dy;
            bright[i] = cell.bright;
            reflected[i] = cell.reflected;
        };
        // The edge cells mirror themselves; the rest runs without a test.
        light(0, 0, last > 0 ? 1 : 0);
        for (int32_t i = 1; i < last; ++i) {
            light(i - 1, i, i + 1);
        }
        if (last > 0) {
            light(last - 1, last, last);
        }

        // Four partial sums, so that the additions need not wait for each other.
        float sums[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        int32_t i = 0;
        for (; i + 4 <= columns; i += 4) {
            for (int32_t k = 0; k < 4; ++k) {
                sums[k] += bright[i + k];
            }
        }
        for (; i < columns; ++i) {
            sums[0] += bright[i];
        }
        brightnessSum += static_cast<double>(sums[0]) + sums[1] + sums[2] + sums[3];

        uint8_t* texel = &texels[static_cast<size_t>(j) * static_cast<size_t>(columns) * 4];
        for (int32_t c = 0; c < columns; ++c) {
            texel[4 * c] = SignedByte(across[c]);
            texel[4 * c + 1] = SignedByte(down[c]);
            texel[4 * c + 3] = UnsignedByte(reflected[c] * 255.0f);
        }
    }

    // The mean brightness becomes 128 exactly (before rounding), so the
    // caustics move light about without adding or taking any.
    const float toByte = static_cast<float>(128.0 * static_cast<double>(brightness.size()) / brightnessSum);
    const size_t cells = brightness.size();
    for (size_t k = 0; k < cells; ++k) {
        texels[k * 4 + 2] = UnsignedByte(brightness[k] * toByte);
    }
}
