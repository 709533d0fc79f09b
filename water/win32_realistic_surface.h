#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/frame_clock.h"
#include "render/monitor_surface.h"
#include "render/win32_gl_program.h"
#include "water/realistic_water.h"
#include "water/water_composer.h"

// A picture as a surface shows it: its texture (holding the whole picture,
// rows bottom-up) and where it lies on the monitor. `identity` tells one
// picture from another where OpenGL gives a deleted texture's name again.
struct PlacedPicture {
    GLuint texture = 0;
    PicturePlace place;
    uint64_t identity = 0;
};

// The realistic look on one monitor: a quad over the current viewport whose
// fragment shader reads the light map once and the picture once at the
// displaced place (twice during a crossfade), then lights it: picture x
// caustic + glint and sky. The CPU steps the waves and uploads one small
// texture per frame. Full screen, where the first frames show the shader's
// pass to cost more than composing the same frame on the CPU (DrawingTrial),
// the frame is composed, uploaded and copied out instead.
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

    // Needs the rendering context current. The monitor's size in pixels turns
    // the light map's displacements (in monitor heights) into its own 0..1.
    bool Start(int monitorWidthPixels, int monitorHeightPixels);


    // This frame's pictures: the one shown and the one taking its place,
    // `fade` (0 to 1) of the way there (texture 0: none).
    void SetPictures(const PlacedPicture& shown, const PlacedPicture& incoming, float fade);

    // Steps the waves to the scene's time and uploads the light map.
    void Update(double seconds);
    // Draws over the whole current viewport; false when the driver reported
    // an error since the last call.
    bool Draw();

    // Draws full screen only that way from now on, without a trial.
    void DrawAlways(WaterDrawing drawing);
    // How full-screen frames are drawn now.
    WaterDrawing Drawing() const { return forced ? forcedDrawing : trial.Next(); }

    // Why Start failed, for the log; "" after a success.
    const std::string& Failure() const { return failure; }

    // Frees the programs and the light map's texture; Start makes them anew.
    // Needs the rendering context current.
    void Release();

private:
    void UploadLight(const LightMapView& map);
    // Over a viewport that many pixels wide.
    void DrawPass(int viewportWidth);
    bool DrawComposed();
    bool PrepareComposing();
    void PlaceOnCpu(const PlacedPicture& picture, uint64_t& placedIdentity, MonitorPixels& pixels);
    void ReleaseComposing();

    // A program and its uniforms.
    struct Pass {
        GLuint program = 0;
        GLint shownPlace = -1;
        GLint shownArea = -1;
        GLint incomingPlace = -1;
        GLint incomingArea = -1;
        GLint fade = -1;
    };
    bool BuildPass(Pass& pass, const std::string& fragment);

    LightMapSource& light;
    ShaderFunctions gl;
    Pass passes[2];  // one picture; a crossfade
    GLuint lightTexture = 0;
    int lightWidth = 0;
    int lightHeight = 0;
    LightMapView lightMap;
    DrawingTrial trial;
    bool forced = false;
    WaterDrawing forcedDrawing = WaterDrawing::Pass;
    // Composing: the pictures placed on the monitor, which of them each is,
    // the frame's texture and the program that copies it out.
    WaterComposer composer;
    MonitorPixels shownPixels;
    MonitorPixels incomingPixels;
    uint64_t shownPlaced = 0;
    uint64_t incomingPlaced = 0;
    GLuint frameTexture = 0;
    GLuint copyProgram = 0;
    std::vector<uint8_t> strip;
    int monitorWidth = 0;
    int monitorHeight = 0;
    PlacedPicture shown;
    PlacedPicture incoming;
    float fade = 0.0f;
    std::string failure;
};

// The realistic look as a monitor's surface. Where the context cannot run it,
// or the driver reports an error while it draws, the monitor shows the
// classic look instead, from that same frame on.
class RealisticWater : public MonitorSurface {
public:
    using ClassicMaker = std::function<std::unique_ptr<MonitorSurface>()>;

    // For a monitor of that many pixels; the seed gives it a rain of its own.
    // Needs the rendering context current.
    RealisticWater(PixelSize monitor, int32_t waveStyle, int32_t speedPercent, uint32_t seed, ClassicMaker classic);

    void Update(float time) override;
    void Draw() override;
    void Show(const ShownPictures& pictures) override;

    // Whether it has fallen back to the classic look.
    bool ShowsClassic() const { return classic != nullptr; }

private:
    void FallBack();
    PlacedPicture Placed(uint32_t texture, PixelSize picture, uint32_t number) const;

    PixelSize monitor;
    WaterLightSource light;
    RealisticSurface surface;
    ClassicMaker makeClassic;
    std::unique_ptr<MonitorSurface> classic;
    ShownPictures pictures;
    float time = 0.0f;
    // The water's seconds, which go on where the scene's time wraps.
    SceneSeconds seconds;
};

// Whether the current context runs the realistic look (its shaders compiled
// and linked), tried once per process: the saver and the dialog each draw
// with one driver.
bool ContextRunsRealisticLook();
