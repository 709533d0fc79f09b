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
// The caustics focus the light falling straight down through the same water.
const float focusPerCurvature = displacementPerGradient;
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

}  // namespace

void WaterLight::Init(int32_t columnCount, int32_t rowCount)
{
    columns = std::max(0, columnCount);
    rows = std::max(0, rowCount);
    const size_t cells = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    texels.assign(cells * 4, 0);
    brightness.assign(cells, 1.0f);
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
    // Cells are square, 1 / rows of the monitor's height: differences of
    // neighbours become gradients and curvatures per monitor height.
    const float gradientScale = 0.5f * static_cast<float>(rows);
    const float curvatureScale = static_cast<float>(rows) * static_cast<float>(rows);
    const float limit = displacementFullScale;
    const float limitSquared = limit * limit;
    // Reciprocals, since a division costs far more than a product.
    const float perLimit = 1.0f / limit;
    const float perGlintRadius = 1.0f / glintSlopeRadius;
    const float perSteepSquared = 1.0f / (steepSlope * steepSlope);
    double brightnessSum = 0.0;

    for (int32_t j = 0; j < rows; ++j) {
        const float* above = &h.At(0, j > 0 ? j - 1 : j);
        const float* row = &h.At(0, j);
        const float* below = &h.At(0, j + 1 < rows ? j + 1 : j);
        float* bright = &brightness[static_cast<size_t>(j) * static_cast<size_t>(columns)];
        uint8_t* texel = &texels[static_cast<size_t>(j) * static_cast<size_t>(columns) * 4];
        for (int32_t i = 0; i < columns; ++i, texel += 4) {
            const float left = row[i > 0 ? i - 1 : i];
            const float right = row[i + 1 < columns ? i + 1 : i];
            const float gradientX = (right - left) * gradientScale;
            const float gradientY = (below[i] - above[i]) * gradientScale;
            const float curvature = (left + right + above[i] + below[i] - 4.0f * row[i]) * curvatureScale;

            // Refraction: held within the limit, keeping its direction.
            float dx = gradientX * displacementPerGradient;
            float dy = gradientY * displacementPerGradient;
            const float lengthSquared = dx * dx + dy * dy;
            if (lengthSquared > limitSquared) {
                const float shorten = limit / std::sqrt(lengthSquared);
                dx *= shorten;
                dy *= shorten;
            }
            texel[0] = SignedByte(dx * perLimit);
            texel[1] = SignedByte(dy * perLimit);

            // Caustics: a cell's light lands on 1 + focus x curvature of its
            // area (crests gather it, troughs spread it). 2 / (1 + area) is
            // the brightness 1 / area eased towards 2, so bright lines stay
            // within the byte; its mean is taken out below.
            const float area = std::max(sharpestFocus, 1.0f + focusPerCurvature * curvature);
            bright[i] = 2.0f / (1.0f + area);
            brightnessSum += bright[i];

            // Glints and sky, from the surface's slope.
            const float slopeX = gradientX * surfaceAmplitude;
            const float slopeY = gradientY * surfaceAmplitude;
            const float offX = (slopeX - glintSlopeX) * perGlintRadius;
            const float offY = (slopeY - glintSlopeY) * perGlintRadius;
            const float nearGlint = std::max(0.0f, 1.0f - (offX * offX + offY * offY));
            const float glint = nearGlint * nearGlint * nearGlint;
            const float steepness = std::min(1.0f, (slopeX * slopeX + slopeY * slopeY) * perSteepSquared);
            const float reflected = std::min(1.0f, glint + skyAtSteepFlanks * steepness);
            texel[3] = UnsignedByte(reflected * 255.0f);
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
