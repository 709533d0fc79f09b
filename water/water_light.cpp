#include "water/water_light.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
// and it costs far less than a call per channel. Plain int conversions, so
// that the cell loop packs whole texels in vector lanes.
inline uint32_t SignedByte(float value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(value * 127.0f + 128.5f));
}

inline uint32_t UnsignedByte(float value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(std::min(255.0f, value + 0.5f)));
}

// A texel's four bytes as one word, R at the lowest address.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr uint32_t redShift = 24, greenShift = 16, blueShift = 8, alphaShift = 0;
#else
constexpr uint32_t redShift = 0, greenShift = 8, blueShift = 16, alphaShift = 24;
#endif

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
    const float shorten = 1.0f / std::sqrt(std::max(1.0f, dx * dx + dy * dy));
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

// One cell's light: its caustic brightness into `bright`, and its texel
// with every channel but the caustic's, which waits for the mean.
inline void LightCell(float left, float right, float above, float below, float centre, const CellInputs& in,
                      float& bright, uint32_t& texel)
{
    const CellLight cell = LightOfCell(left, right, above, below, centre, in);
    bright = cell.bright;
    texel = SignedByte(cell.dx) << redShift | SignedByte(cell.dy) << greenShift |
            UnsignedByte(cell.reflected * 255.0f) << alphaShift;
}

// A row's light. The edge cells mirror themselves; the cells between run
// without a test, in vector lanes.
void LightRow(const float* above, const float* row, const float* below, int32_t columns, const CellInputs& in,
              float* bright, uint32_t* texels)
{
    const int32_t last = columns - 1;
    LightCell(row[0], row[last > 0 ? 1 : 0], above[0], below[0], row[0], in, bright[0], texels[0]);
    for (int32_t i = 1; i < last; ++i) {
        LightCell(row[i - 1], row[i + 1], above[i], below[i], row[i], in, bright[i], texels[i]);
    }
    if (last > 0) {
        LightCell(row[last - 1], row[last], above[last], below[last], row[last], in, bright[last], texels[last]);
    }
}

// Four partial sums, so that the additions need not wait for each other.
double SumOf(const float* values, int32_t count)
{
    float sums[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        for (int32_t k = 0; k < 4; ++k) {
            sums[k] += values[i + k];
        }
    }
    for (; i < count; ++i) {
        sums[0] += values[i];
    }
    return static_cast<double>(sums[0]) + sums[1] + sums[2] + sums[3];
}

}  // namespace

void WaterLight::Init(int32_t columnCount, int32_t rowCount)
{
    columns = std::max(0, columnCount);
    rows = std::max(0, rowCount);
    const size_t cells = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    texels.assign(cells * 4, 0);
    words.assign(cells, 0);
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
    const CellInputs in{0.5f * static_cast<float>(rows), static_cast<float>(rows) * static_cast<float>(rows)};
    const size_t width = static_cast<size_t>(columns);
    double brightnessSum = 0.0;
    for (int32_t j = 0; j < rows; ++j) {
        float* bright = &brightness[static_cast<size_t>(j) * width];
        LightRow(&h.At(0, j > 0 ? j - 1 : j), &h.At(0, j), &h.At(0, j + 1 < rows ? j + 1 : j), columns, in, bright,
                 &words[static_cast<size_t>(j) * width]);
        brightnessSum += SumOf(bright, columns);
    }

    // The mean brightness becomes 128 exactly (before rounding), so the
    // caustics move light about without adding or taking any.
    const float toByte = static_cast<float>(128.0 * static_cast<double>(brightness.size()) / brightnessSum);
    const size_t cells = brightness.size();
    const uint32_t* word = words.data();
    const float* bright = brightness.data();
    uint8_t* texel = texels.data();
    for (size_t k = 0; k < cells; ++k) {
        const uint32_t whole = word[k] | UnsignedByte(bright[k] * toByte) << blueShift;
        std::memcpy(texel + 4 * k, &whole, 4);
    }
}
