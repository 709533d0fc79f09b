#include "water/water_grid.h"

#include <algorithm>
#include <cmath>

// The camera's eye, repeated here so that the mapping does not depend on how
// the projection was set up.
static const Vec3 EyePoint{4.0f, 8.0f, 9.0f};

// How far each vertex's normal bends the view ray.
static const float BendFactor = 0.1f;

// Shift the picture by 2 % of its width and 10 % of its height; the texture's
// repeat wrap fills the strips this uncovers.
static const double TexOffsetU = -0.02;
static const double TexOffsetV = -0.1;

// A vertex index's distance from the centre of its row or column, in grid
// steps. Truncating division puts the centre half a step past the middle on an
// even count; the ripples are centred there on purpose.
static double OffsetFromCentre(int32_t index, int32_t count)
{
    const float centre = static_cast<float>(count / 2);
    return static_cast<double>(index) - centre;
}

void WaterGrid::Init(int32_t columnCount, int32_t rowCount, int32_t mode)
{
    waveMode = mode;
    columns = columnCount;
    rows = rowCount;
    vertexComponents = 3;
    texCoordComponents = 2;

    vertices.Resize(columns, rows, Vec3{0.0f, 0.0f, 0.0f});
    texCoords.Resize(columns, rows, TexCoord{0.0f, 0.0f});
    ComputeRingAngles();
    rain = WaveField{};
    if (waveMode == Rain && columns > 0 && rows > 0) {
        rain.Init(columns, rows, Rain, speedPercent, rainSeed);
    }

    // The flat start uses a wider x step (0.42) than Rings rewrites each frame
    // (0.4); Crossed never rewrites x, so it keeps this one.
    for (int32_t i = 0; i < columns; ++i) {
        for (int32_t j = 0; j < rows; ++j) {
            Vec3& vertex = vertices.At(i, j);
            vertex.x = static_cast<float>(static_cast<double>(i) * 0.42f);
            vertex.y = static_cast<float>(static_cast<double>(j) * 0.2f);
            vertex.z = 1.0f;
        }
    }
}

// Each vertex's distance from the ring centre, scaled to radians, does not
// change from frame to frame: it is worked out once, exactly as the wave
// formula would every frame.
void WaterGrid::ComputeRingAngles()
{
    ringAngles.Resize(columns, rows, 0.0);
    for (int32_t i = 0; i < columns; ++i) {
        for (int32_t j = 0; j < rows; ++j) {
            const double d = OffsetFromCentre(i, columns);
            const double f = OffsetFromCentre(j, rows);
            // 1.5 under the root squeezes the rings along j only.
            ringAngles.At(i, j) = std::sqrt(d * d + 1.5f * (f * f)) * 1.5f;
        }
    }
}

void WaterGrid::Animate(float time)
{
    if (waveMode == Rain) {
        AnimateRain(time);
        return;
    }
    // At 100 % the scale is exactly 1.0, so every value stays what the
    // unscaled step gave.
    const double phase = static_cast<double>(time) * 0.2f * (speedPercent / 100.0);

    for (int32_t i = 0; i < columns; ++i) {
        for (int32_t j = 0; j < rows; ++j) {
            Vec3& vertex = vertices.At(i, j);
            if (waveMode == Rings) {
                vertex.x = static_cast<float>(i * 0.4);
                vertex.y = static_cast<float>(j * 0.2);
                vertex.z = static_cast<float>(std::sin(ringAngles.At(i, j) - phase) * 0.1f + 1.0f);
            }
            if (waveMode == Crossed) {
                const double d = OffsetFromCentre(i, columns);
                const double f = OffsetFromCentre(j, rows);
                vertex.z = static_cast<float>((std::sin(d - phase) + std::sin(f - phase)) * 0.1f + 1.0f);
            }
        }
    }
}

void WaterGrid::AnimateRain(float time)
{
    if (columns <= 0 || rows <= 0) {
        return;
    }
    if (rain.SpeedPercent() != speedPercent) {
        rain.SetSpeedPercent(speedPercent);
    }
    rain.AdvanceTo(static_cast<double>(time) * 0.016);
    const Grid2D<float>& heights = rain.Heights();
    for (int32_t i = 0; i < columns; ++i) {
        for (int32_t j = 0; j < rows; ++j) {
            // Laid out as Rings lays its grid. Rain's rings are far lower
            // than the rings' sine (a tenth of which moves the grid), so a
            // quarter of their height moves it; a drop's first deep dimple is
            // held to the band that Crossed keeps (0.8 to 1.2).
            Vec3& vertex = vertices.At(i, j);
            vertex.x = static_cast<float>(i * 0.4);
            vertex.y = static_cast<float>(j * 0.2);
            vertex.z = 1.0f + 0.25f * std::min(0.8f, std::max(-0.8f, heights.At(i, j)));
        }
    }
}

void WaterGrid::ComputeTexCoords()
{
    // Without a forward neighbour in both directions there is no normal, and
    // the extent vertex below would not exist on an empty grid.
    if (columns < 2 || rows < 2) {
        return;
    }
    // The last vertex's x and y are the grid's extent: they scale the landing
    // point to about one copy of the picture across the surface.
    const Vec3 extent = vertices.At(columns - 1, rows - 1);

    for (int32_t i = 0; i + 1 < columns; ++i) {
        for (int32_t j = 0; j + 1 < rows; ++j) {
            const Vec3 p = vertices.At(i, j);
            const Vec3 alongI = vertices.At(i + 1, j) - p;
            const Vec3 alongJ = vertices.At(i, j + 1) - p;
            // This order makes the normal point up, toward the eye.
            const Vec3 normal = Normalize(Cross(alongI, alongJ));
            const Vec3 view = Normalize(p - EyePoint);
            const Vec3 ray = Normalize(view - normal * BendFactor);
            // Distance along the ray from the vertex down to the plane z = 0.
            const double distance = -(static_cast<double>(p.z) / ray.z);
            const double landX = p.x + distance * ray.x;
            const double landY = p.y + distance * ray.y;
            TexCoord& texCoord = texCoords.At(i, j);
            texCoord.u = static_cast<float>(TexOffsetU - landX / extent.x);
            texCoord.v = static_cast<float>(TexOffsetV - landY / extent.y);
        }
    }
}
