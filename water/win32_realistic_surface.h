#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <string>

#include "render/win32_gl_program.h"

// One frame's light map as the CPU made it: RGBA8, `width` x `height`,
// rows bottom-up (row 0 is the monitor's bottom), stretched over the whole
// monitor. What its channels mean is written at the top of
// water/water_light.h; the fragment shader decodes them.
struct LightMapView {
    const uint8_t* rgba = nullptr;
    int width = 0;
    int height = 0;
};

// Where the light maps come from: the wave field and the light, or a test's
// own maps.
class LightMapSource {
public:
    // The map for a frame at `time` (the scene's clock, in seconds). The
    // pixels stay valid until the next call.
    virtual LightMapView LightAt(double seconds) = 0;

protected:
    ~LightMapSource() = default;
};

// A picture as a surface shows it: its texture and where the picture lies on
// the monitor, in the monitor's own 0..1 coordinates from its bottom-left
// corner (the fit of the picture: {0, 0, 1, 1} fills it; outside, the
// monitor is dark). The texture holds the whole picture.
struct PlacedPicture {
    GLuint texture = 0;
    float left = 0.0f;
    float bottom = 0.0f;
    float right = 1.0f;
    float top = 1.0f;
};

// The realistic look on one monitor: a quad over the current viewport whose
// fragment shader reads the light map once and the picture once at the
// displaced place (twice during a crossfade), then lights it: picture x
// caustic + glint and sky. The CPU steps the waves and uploads one small
// texture per frame.
//
// Start fails, creating nothing, where the context cannot run it (no GLSL,
// a shader that does not compile or link, a driver error); Draw fails where
// the driver reports an error while drawing. Either way the caller shows the
// classic look instead.
class RealisticSurface {
public:
    explicit RealisticSurface(LightMapSource& light) : light(light) {}
    ~RealisticSurface();
    RealisticSurface(const RealisticSurface&) = delete;
    RealisticSurface& operator=(const RealisticSurface&) = delete;

    // Needs the rendering context current. The monitor's size in pixels sets
    // how far a light map's displacement moves what lies beneath.
    bool Start(int monitorWidthPixels, int monitorHeightPixels);

    // How many monitor pixels the largest displacement a light map can hold
    // moves the picture.
    float shiftPixels = 8.0f;

    // This frame's pictures: the one shown and the one taking its place,
    // `fade` (0 to 1) of the way there (texture 0: none).
    void SetPictures(const PlacedPicture& shown, const PlacedPicture& incoming, float fade);

    // Steps the waves to the scene's time and uploads the light map.
    void Update(double seconds);
    // Draws over the whole current viewport; false when the driver reported
    // an error since the last call.
    bool Draw();

    // Why Start failed, for the log; "" after a success.
    const std::string& Failure() const { return failure; }

private:
    void Release();
    void UploadLight(const LightMapView& map);

    LightMapSource& light;
    ShaderFunctions gl;
    GLuint program = 0;
    GLuint lightTexture = 0;
    int lightWidth = 0;
    int lightHeight = 0;
    int monitorWidth = 0;
    int monitorHeight = 0;
    GLint shiftLocation = -1;
    GLint shownPlace = -1;
    GLint incomingPlace = -1;
    GLint fadeLocation = -1;
    PlacedPicture shown;
    PlacedPicture incoming;
    float fade = 0.0f;
    std::string failure;
};
