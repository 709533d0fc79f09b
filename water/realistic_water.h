#pragma once

#include <cstdint>

#include "water/picture_fit.h"
#include "water/water_light.h"
#include "water/wave_field.h"

// The portable half of the realistic look on one monitor: where its light
// maps come from, and where a picture lies on it. The OpenGL side
// (RealisticSurface) uploads the one and draws the other.

// One frame's light map: RGBA8 texels, `width` x `height`, laid out as
// water/water_light.h describes (row 0 the monitor's top), stretched over the
// whole monitor.
struct LightMapView {
    const uint8_t* rgba = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// Where the light maps come from: the wave field and its light, or a test's
// own maps.
class LightMapSource {
public:
    // The map for a frame `seconds` after the first one. The texels stay
    // valid until the next call.
    virtual LightMapView LightAt(double seconds) = 0;

protected:
    ~LightMapSource() = default;
};

// The wave field of one monitor, a cell per `cellPixels` x `cellPixels`
// screen pixels (so no facet is larger), and its light.
class WaterLightSource : public LightMapSource {
public:
    static constexpr int32_t cellPixels = 4;

    void Init(int32_t monitorWidth, int32_t monitorHeight, int32_t waveMode, int32_t speedPercent,
              uint32_t seed = 1);
    LightMapView LightAt(double seconds) override;

    WaveField field;
    WaterLight light;
};

// How the shader finds a picture from a monitor point (u, v), both 0..1 from
// the monitor's bottom-left corner: the texture coordinate is
// (u * scaleU + offsetU, v * scaleV + offsetV) (textures hold their rows
// bottom-up, so t = 0 is the picture's bottom edge), and the monitor shows
// the picture only inside [left, right] x [bottom, top]; dark outside.
struct PicturePlace {
    float scaleU = 1.0f;
    float scaleV = 1.0f;
    float offsetU = 0.0f;
    float offsetV = 0.0f;
    float left = 0.0f;
    float bottom = 0.0f;
    float right = 1.0f;
    float top = 1.0f;
};

// The place of a picture that fills the monitor exactly as it is (the
// desktop's own piece of that monitor).
constexpr PicturePlace inPlace{};

// The place a fit gives on a monitor of that size (a side below 1: inPlace).
PicturePlace PlaceOf(const PictureFit& fit, int32_t monitorWidth, int32_t monitorHeight);

// How the realistic look draws a full-screen frame: the shader's pass over
// the pictures, or the frame composed on the CPU (water_composer.h), uploaded
// and copied out unchanged.
enum class WaterDrawing { Pass, Composed };

// Chooses between the two from what the first frames cost in CPU time
// (a graphics card's pass costs next to none; a software renderer's more
// than composing): a few frames of each are timed, after the first of each
// (which compile shaders, fill caches and place the pictures), and the
// cheaper draws from then on. Both show the same picture, so the change
// cannot be seen.
class DrawingTrial {
public:
    static constexpr int framesSkipped = 3;
    static constexpr int framesTimed = 8;

    // How the next frame draws; Pass until the trial reaches the composed
    // frames.
    WaterDrawing Next() const;
    // Whether the next frame's cost counts (FrameTook is then expected).
    bool Timing() const;
    bool Decided() const { return frames >= 2 * (framesSkipped + framesTimed); }
    // Called after each frame drawn while undecided, with the CPU time it
    // took (0 for a frame that was not timed).
    void FrameTook(uint64_t microseconds);

private:
    int frames = 0;
    uint64_t passTotal = 0;
    uint64_t composedTotal = 0;
};
