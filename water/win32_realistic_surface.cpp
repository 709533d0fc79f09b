#include "water/win32_realistic_surface.h"

#include <algorithm>
#include <utility>

#include "clock/win32_clock.h"
#include "render/frame_clock.h"
#include "water/picture_fit.h"

namespace {

// Texture units: the light map, the picture shown, the picture coming in.
constexpr GLint lightUnit = 0;
constexpr GLint shownUnit = 1;
constexpr GLint incomingUnit = 2;

const char* const vertexSource = R"(#version 110
varying vec2 screen;
void main()
{
    screen = gl_MultiTexCoord0.xy;
    gl_Position = gl_Vertex;
}
)";

// `screen` runs 0..1 over the monitor from its bottom-left corner; the light
// map's row 0 is the monitor's top, and its displacements are in monitor
// heights, right and down (water/water_light.h). A picture's texture
// coordinate is at * place.xy + place.zw, and it shows only inside its area
// (left, bottom, right, top); the monitor is dark elsewhere. The displaced
// point keeps half a pixel inside the monitor, so that the edges under the
// waves never filter in the opposite edge of a picture that fills it.
//
// Two programs of this source: one for a single picture, one (CROSSFADE
// defined) for a change of pictures. A software renderer pays for the reads
// of a branch not taken, so the single picture's program has none.
const char* const fragmentBody = R"(
uniform sampler2D light;
uniform sampler2D shown;
uniform sampler2D incoming;
uniform vec4 shownPlace;
uniform vec4 shownArea;
uniform vec4 incomingPlace;
uniform vec4 incomingArea;
uniform float fade;
uniform vec2 shift;
uniform vec2 edge;
uniform vec3 sky;
varying vec2 screen;

vec3 PictureAt(sampler2D picture, vec4 place, vec4 area, vec2 at)
{
    vec3 colour = texture2D(picture, at * place.xy + place.zw).rgb;
    bool inside = at.x >= area.x && at.x <= area.z && at.y >= area.y && at.y <= area.w;
    return inside ? colour : vec3(0.0);
}

void main()
{
    vec4 l = texture2D(light, vec2(screen.x, 1.0 - screen.y));
    vec2 at = clamp(screen + (l.rg * 255.0 - 128.0) * shift, edge, 1.0 - edge);
    vec3 colour = PictureAt(shown, shownPlace, shownArea, at);
#ifdef CROSSFADE
    colour = mix(colour, PictureAt(incoming, incomingPlace, incomingArea, at), fade);
#endif
    colour = colour * (l.b * (255.0 / 128.0)) + l.a * mix(sky, vec3(1.0), l.a);
    gl_FragColor = vec4(colour, 1.0);
}
)";

// Copies a composed frame out as it is: a software renderer recognises a
// program that only reads a texture at its own pixel and copies memory.
const char* const copySource = R"(#version 110
uniform sampler2D frame;
varying vec2 screen;
void main()
{
    gl_FragColor = texture2D(frame, screen);
}
)";

// Rows composed and uploaded at a time: a small buffer, few uploads.
constexpr int stripRows = 64;

std::string FragmentSource(bool crossfade)
{
    return std::string("#version 110\n") + (crossfade ? "#define CROSSFADE\n" : "") + fragmentBody;
}

void SetPlace(const ShaderFunctions& gl, GLint placeLocation, GLint areaLocation, const PicturePlace& place)
{
    gl.uniform4f(placeLocation, place.scaleU, place.scaleV, place.offsetU, place.offsetV);
    gl.uniform4f(areaLocation, place.left, place.bottom, place.right, place.top);
}

// Full screen the pictures lie at about their own size on the monitor (the
// desktop's piece exactly, a picture decoded for the largest monitor
// nearly), so the look reads them at the nearest texel there: still water
// shows them pixel for pixel all the same, and a software renderer reads one
// texel instead of four. Shrunk into a preview they are filtered, and so
// they are again for the classic look, which stretches them.
void SetPictureFilter(GLuint texture, GLint filter)
{
    if (texture != 0) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    }
}

// The bound texture's reads: the nearest texel, held inside its edges.
void ReadUnfilteredToItsEdges()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void DrainErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void DrawQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
}

}  // namespace

RealisticSurface::~RealisticSurface()
{
    Release();
}

void RealisticSurface::Release()
{
    for (Pass& pass : passes) {
        if (pass.program != 0) {
            gl.useProgram(0);
            gl.deleteProgram(pass.program);
        }
        pass = Pass();
    }
    if (lightTexture != 0) {
        glDeleteTextures(1, &lightTexture);
        lightTexture = 0;
    }
    lightWidth = 0;
    lightHeight = 0;
    ReleaseComposing();
}

bool RealisticSurface::Start(int monitorWidthPixels, int monitorHeightPixels)
{
    Release();
    failure.clear();
    if (monitorWidthPixels <= 0 || monitorHeightPixels <= 0) {
        failure = "a monitor without size";
        return false;
    }
    monitorWidth = monitorWidthPixels;
    monitorHeight = monitorHeightPixels;
    trial = DrawingTrial();
    DrainErrors();
    gl = ResolveShaderFunctions();
    if (!gl.complete) {
        failure = "no GLSL programs in this OpenGL";
        return false;
    }
    for (int crossfade = 0; crossfade < 2; ++crossfade) {
        if (!BuildPass(passes[crossfade], FragmentSource(crossfade == 1))) {
            Release();
            return false;
        }
    }
    gl.useProgram(0);
    if (glGetError() != GL_NO_ERROR) {
        failure = "the driver reported an error setting the program up";
        Release();
        return false;
    }
    return true;
}

bool RealisticSurface::BuildPass(Pass& pass, const std::string& fragment)
{
    const GLuint program = BuildShaderProgram(gl, vertexSource, fragment.c_str(), failure);
    if (program == 0) {
        return false;
    }
    pass.program = program;
    gl.useProgram(program);
    gl.uniform1i(gl.getUniformLocation(program, "light"), lightUnit);
    gl.uniform1i(gl.getUniformLocation(program, "shown"), shownUnit);
    gl.uniform1i(gl.getUniformLocation(program, "incoming"), incomingUnit);
    gl.uniform2f(gl.getUniformLocation(program, "edge"), 0.5f / static_cast<float>(monitorWidth),
                 0.5f / static_cast<float>(monitorHeight));
    // A displacement of 1 (R or G 255) is displacementFullScale monitor
    // heights, right and down; the shader's y runs up.
    const float perStep = displacementFullScale / 127.0f;
    gl.uniform2f(gl.getUniformLocation(program, "shift"),
                 perStep * static_cast<float>(monitorHeight) / static_cast<float>(monitorWidth), -perStep);
    gl.uniform3f(gl.getUniformLocation(program, "sky"), skyColour[0], skyColour[1], skyColour[2]);
    pass.shownPlace = gl.getUniformLocation(program, "shownPlace");
    pass.shownArea = gl.getUniformLocation(program, "shownArea");
    pass.incomingPlace = gl.getUniformLocation(program, "incomingPlace");
    pass.incomingArea = gl.getUniformLocation(program, "incomingArea");
    pass.fade = gl.getUniformLocation(program, "fade");
    return true;
}

void RealisticSurface::SetPictures(const PlacedPicture& shownPicture, const PlacedPicture& incomingPicture,
                                   float incomingFade)
{
    shown = shownPicture;
    incoming = incomingPicture;
    fade = incoming.texture != 0 ? incomingFade : 0.0f;
}

void RealisticSurface::UploadLight(const LightMapView& map)
{
    if (map.rgba == nullptr || map.width <= 0 || map.height <= 0) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, lightTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (map.width != lightWidth || map.height != lightHeight) {
        if (lightTexture == 0) {
            glGenTextures(1, &lightTexture);
            glBindTexture(GL_TEXTURE_2D, lightTexture);
        }
        // One texel per cell of at most 4 x 4 pixels, read unfiltered: a
        // software renderer's filtering would cost as much as the rest of the
        // pass, and the picture's own read is enough.
        ReadUnfilteredToItsEdges();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, map.width, map.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, map.rgba);
        lightWidth = map.width;
        lightHeight = map.height;
        return;
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, map.width, map.height, GL_RGBA, GL_UNSIGNED_BYTE, map.rgba);
}

void RealisticSurface::Update(double seconds)
{
    if (passes[0].program == 0) {
        return;
    }
    lightMap = light.LightAt(seconds);
    if (!trial.Decided() || Drawing() == WaterDrawing::Pass) {
        UploadLight(lightMap);
    }
}

void RealisticSurface::DrawAlways(WaterDrawing drawing)
{
    forced = true;
    forcedDrawing = drawing;
}

bool RealisticSurface::Draw()
{
    if (passes[0].program == 0) {
        return false;
    }
    DrainErrors();
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The quad covers everything beneath it. Without a depth test a software
    // renderer neither reads nor writes depth and drops the frame's clear
    // where the quad covers it.
    const GLboolean depthTested = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    // Shrunk into a preview the pass always draws: composing pays only
    // where every pixel of the monitor is drawn.
    const bool fullScreen = viewport[2] == monitorWidth && viewport[3] == monitorHeight;
    const bool trying = fullScreen && !forced && !trial.Decided();
    const bool timing = trying && trial.Timing();
    uint64_t before = 0;
    if (timing) {
        // What the frame queued before (the clear) is not this pass's cost.
        glFinish();
        before = ProcessCpuMicroseconds();
    }
    bool drawn = true;
    if (fullScreen && Drawing() == WaterDrawing::Composed) {
        drawn = DrawComposed();
        if (!drawn) {
            // This driver takes no such frame: the pass it is.
            ReleaseComposing();
            DrawAlways(WaterDrawing::Pass);
            DrainErrors();
            DrawPass(viewport[2]);
            drawn = true;
        }
    } else {
        DrawPass(viewport[2]);
    }
    if (trying && !forced) {
        uint64_t took = 0;
        if (timing) {
            glFinish();
            took = ProcessCpuMicroseconds() - before;
        }
        trial.FrameTook(took);
        if (trial.Decided() && Drawing() == WaterDrawing::Pass) {
            ReleaseComposing();
        }
    }
    if (depthTested) {
        glEnable(GL_DEPTH_TEST);
    }
    return drawn && glGetError() == GL_NO_ERROR;
}

void RealisticSurface::DrawPass(int viewportWidth)
{
    const Pass& pass = passes[fade > 0.0f ? 1 : 0];
    const GLint filter = viewportWidth * 5 >= monitorWidth * 4 ? GL_NEAREST : GL_LINEAR;
    gl.useProgram(pass.program);
    SetPlace(gl, pass.shownPlace, pass.shownArea, shown.place);
    SetPlace(gl, pass.incomingPlace, pass.incomingArea, incoming.place);
    gl.uniform1f(pass.fade, fade);
    gl.activeTexture(GL_TEXTURE0 + incomingUnit);
    SetPictureFilter(incoming.texture, filter);
    glBindTexture(GL_TEXTURE_2D, incoming.texture);
    gl.activeTexture(GL_TEXTURE0 + shownUnit);
    SetPictureFilter(shown.texture, filter);
    glBindTexture(GL_TEXTURE_2D, shown.texture);
    gl.activeTexture(GL_TEXTURE0 + lightUnit);
    glBindTexture(GL_TEXTURE_2D, lightTexture);
    DrawQuad();

    // What draws next (another monitor's classic surface, an overlay) finds
    // the fixed-function state as it was: no program, unit 0 active.
    gl.useProgram(0);
    gl.activeTexture(GL_TEXTURE0 + incomingUnit);
    SetPictureFilter(incoming.texture, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    gl.activeTexture(GL_TEXTURE0 + shownUnit);
    SetPictureFilter(shown.texture, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    gl.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

bool RealisticSurface::PrepareComposing()
{
    if (copyProgram == 0) {
        std::string log;
        copyProgram = BuildShaderProgram(gl, vertexSource, copySource, log);
        if (copyProgram == 0) {
            return false;
        }
        gl.useProgram(copyProgram);
        gl.uniform1i(gl.getUniformLocation(copyProgram, "frame"), lightUnit);
        gl.useProgram(0);
    }
    if (frameTexture == 0) {
        glGenTextures(1, &frameTexture);
        glBindTexture(GL_TEXTURE_2D, frameTexture);
        // Unfiltered, held at its edges and of the unsized format, which
        // keeps the upload's byte order: what a software renderer copies out
        // as it is.
        ReadUnfilteredToItsEdges();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, monitorWidth, monitorHeight, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE,
                     nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        strip.assign(static_cast<size_t>(monitorWidth) * stripRows * 4, 0);
    }
    if (!composer.ComposesFor(monitorWidth, monitorHeight, lightMap)) {
        composer.Init(monitorWidth, monitorHeight, lightMap.width, lightMap.height);
    }
    return glGetError() == GL_NO_ERROR;
}

// The picture's pixels as the monitor shows them, read back from its texture
// once per picture.
void RealisticSurface::PlaceOnCpu(const PlacedPicture& picture, uint64_t& placedIdentity, MonitorPixels& pixels)
{
    if (picture.identity == placedIdentity && !pixels.bgra.empty()) {
        return;
    }
    pixels = MonitorPixels();
    placedIdentity = picture.identity;
    if (picture.texture == 0) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, picture.texture);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if (width > 0 && height > 0) {
        std::vector<uint8_t> texels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, texels.data());
        PlacePicture(texels.data(), width, height, picture.place, monitorWidth, monitorHeight, pixels);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

bool RealisticSurface::DrawComposed()
{
    if (!PrepareComposing()) {
        return false;
    }
    // The picture that came in is the one shown now.
    if (shown.identity != shownPlaced && shown.identity == incomingPlaced) {
        std::swap(shownPixels, incomingPixels);
        std::swap(shownPlaced, incomingPlaced);
    }
    PlaceOnCpu(shown, shownPlaced, shownPixels);
    const bool changing = incoming.texture != 0 && fade > 0.0f;
    if (changing) {
        PlaceOnCpu(incoming, incomingPlaced, incomingPixels);
    } else {
        incomingPixels = MonitorPixels();
        incomingPlaced = 0;
    }
    gl.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, frameTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (int first = 0; first < monitorHeight; first += stripRows) {
        const int rows = std::min(stripRows, monitorHeight - first);
        composer.Compose(lightMap, shownPixels, changing ? &incomingPixels : nullptr, fade, first, rows,
                         strip.data());
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, first, monitorWidth, rows, GL_BGRA_EXT, GL_UNSIGNED_BYTE,
                        strip.data());
    }
    gl.useProgram(copyProgram);
    DrawQuad();
    gl.useProgram(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return glGetError() == GL_NO_ERROR;
}

void RealisticSurface::ReleaseComposing()
{
    if (copyProgram != 0) {
        gl.deleteProgram(copyProgram);
        copyProgram = 0;
    }
    if (frameTexture != 0) {
        glDeleteTextures(1, &frameTexture);
        frameTexture = 0;
    }
    shownPixels = MonitorPixels();
    incomingPixels = MonitorPixels();
    shownPlaced = 0;
    incomingPlaced = 0;
    composer = WaterComposer();
    strip = std::vector<uint8_t>();
}

RealisticWater::RealisticWater(PixelSize monitorSize, int32_t waveStyle, int32_t speedPercent, uint32_t seed,
                               ClassicMaker classicMaker)
    : monitor(monitorSize), surface(light), makeClassic(std::move(classicMaker))
{
    if (!surface.Start(monitor.width, monitor.height)) {
        FallBack();
        return;
    }
    light.Init(monitor.width, monitor.height, waveStyle, speedPercent, seed);
}

void RealisticWater::FallBack()
{
    surface.Release();
    classic = makeClassic();
    classic->Show(pictures);
    classic->Update(time);
}

PlacedPicture RealisticWater::Placed(uint32_t texture, PixelSize picture, uint32_t number) const
{
    PlacedPicture placed;
    placed.texture = texture;
    placed.identity = (static_cast<uint64_t>(number) << 32) | texture;
    // A picture of unknown size is taken to be the monitor's own piece.
    if (picture.width > 0 && picture.height > 0) {
        placed.place = PlaceOf(FitPicture(picture.width, picture.height, monitor.width, monitor.height),
                               monitor.width, monitor.height);
    }
    return placed;
}

void RealisticWater::Show(const ShownPictures& shown)
{
    pictures = shown;
    if (classic) {
        classic->Show(shown);
        return;
    }
    surface.SetPictures(Placed(shown.texture, shown.size, shown.pictureNumber),
                        Placed(shown.incomingTexture, shown.incomingSize, shown.pictureNumber + 1), shown.fade);
}

void RealisticWater::Update(float frameTime)
{
    time = frameTime;
    if (classic) {
        classic->Update(frameTime);
        return;
    }
    surface.Update(seconds.SecondsAt(frameTime));
}

void RealisticWater::Draw()
{
    if (!classic && surface.Draw()) {
        return;
    }
    if (!classic) {
        // What was drawn of this frame may be wrong: the classic look draws
        // over it.
        FallBack();
    }
    classic->Draw();
}

bool ContextRunsRealisticLook()
{
    static int runs = -1;
    if (runs < 0) {
        const ShaderFunctions gl = ResolveShaderFunctions();
        std::string log;
        const GLuint program = BuildShaderProgram(gl, vertexSource, FragmentSource(true).c_str(), log);
        runs = program != 0 ? 1 : 0;
        if (program != 0) {
            gl.deleteProgram(program);
        }
    }
    return runs == 1;
}
