#include "water/win32_realistic_surface.h"

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

// `screen` runs 0..1 over the monitor from its bottom-left corner. A picture
// lies at p = at * place.xy + place.zw; outside 0..1 the monitor is dark.
// The displaced point keeps half a pixel inside the monitor, so that the
// edges under the waves never filter in the opposite edge of a picture that
// fills it.
const char* const fragmentSource = R"(#version 110
uniform sampler2D light;
uniform sampler2D shown;
uniform sampler2D incoming;
uniform vec4 shownPlace;
uniform vec4 incomingPlace;
uniform float fade;
uniform vec2 shift;
uniform vec2 edge;
varying vec2 screen;

vec3 PictureAt(sampler2D picture, vec4 place, vec2 at)
{
    vec2 p = at * place.xy + place.zw;
    vec3 colour = texture2D(picture, p).rgb;
    return (p.x < 0.0 || p.x > 1.0 || p.y < 0.0 || p.y > 1.0) ? vec3(0.0) : colour;
}

void main()
{
    vec4 l = texture2D(light, screen);
    vec2 at = clamp(screen + (l.rg * 255.0 - 128.0) * shift, edge, 1.0 - edge);
    vec3 colour = PictureAt(shown, shownPlace, at);
    if (fade > 0.0) {
        colour = mix(colour, PictureAt(incoming, incomingPlace, at), fade);
    }
    gl_FragColor = vec4(colour * (l.b * (255.0 / 128.0)) + l.a, 1.0);
}
)";

// The uniform's scale and offset that take a monitor point to the picture's
// 0..1; a picture of no extent is never inside.
void SetPlace(const ShaderFunctions& gl, GLint location, const PlacedPicture& picture)
{
    const float width = picture.right - picture.left;
    const float height = picture.top - picture.bottom;
    if (width <= 0.0f || height <= 0.0f) {
        gl.uniform4f(location, 0.0f, 0.0f, -1.0f, -1.0f);
        return;
    }
    gl.uniform4f(location, 1.0f / width, 1.0f / height, -picture.left / width, -picture.bottom / height);
}

void DrainErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

}  // namespace

RealisticSurface::~RealisticSurface()
{
    Release();
}

void RealisticSurface::Release()
{
    if (program != 0) {
        gl.useProgram(0);
        gl.deleteProgram(program);
        program = 0;
    }
    if (lightTexture != 0) {
        glDeleteTextures(1, &lightTexture);
        lightTexture = 0;
    }
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
    DrainErrors();
    gl = ResolveShaderFunctions();
    if (!gl.complete) {
        failure = "no GLSL programs in this OpenGL";
        return false;
    }
    program = BuildShaderProgram(gl, vertexSource, fragmentSource, failure);
    if (program == 0) {
        return false;
    }
    gl.useProgram(program);
    gl.uniform1i(gl.getUniformLocation(program, "light"), lightUnit);
    gl.uniform1i(gl.getUniformLocation(program, "shown"), shownUnit);
    gl.uniform1i(gl.getUniformLocation(program, "incoming"), incomingUnit);
    gl.uniform2f(gl.getUniformLocation(program, "edge"), 0.5f / static_cast<float>(monitorWidth),
                 0.5f / static_cast<float>(monitorHeight));
    shiftLocation = gl.getUniformLocation(program, "shift");
    shownPlace = gl.getUniformLocation(program, "shownPlace");
    incomingPlace = gl.getUniformLocation(program, "incomingPlace");
    fadeLocation = gl.getUniformLocation(program, "fade");
    gl.useProgram(0);
    if (glGetError() != GL_NO_ERROR) {
        failure = "the driver reported an error setting the program up";
        Release();
        return false;
    }
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
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, map.width, map.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, map.rgba);
        lightWidth = map.width;
        lightHeight = map.height;
        return;
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, map.width, map.height, GL_RGBA, GL_UNSIGNED_BYTE, map.rgba);
}

void RealisticSurface::Update(double seconds)
{
    if (program != 0) {
        UploadLight(light.LightAt(seconds));
    }
}

bool RealisticSurface::Draw()
{
    if (program == 0) {
        return false;
    }
    DrainErrors();
    gl.useProgram(program);
    gl.uniform2f(shiftLocation, shiftPixels / (127.0f * static_cast<float>(monitorWidth)),
                 shiftPixels / (127.0f * static_cast<float>(monitorHeight)));
    SetPlace(gl, shownPlace, shown);
    SetPlace(gl, incomingPlace, incoming);
    gl.uniform1f(fadeLocation, fade);
    gl.activeTexture(GL_TEXTURE0 + incomingUnit);
    glBindTexture(GL_TEXTURE_2D, incoming.texture);
    gl.activeTexture(GL_TEXTURE0 + shownUnit);
    glBindTexture(GL_TEXTURE_2D, shown.texture);
    gl.activeTexture(GL_TEXTURE0 + lightUnit);
    glBindTexture(GL_TEXTURE_2D, lightTexture);

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

    // What draws next (another monitor's classic surface, an overlay) finds
    // the fixed-function state as it was: no program, unit 0 active.
    gl.useProgram(0);
    gl.activeTexture(GL_TEXTURE0 + incomingUnit);
    glBindTexture(GL_TEXTURE_2D, 0);
    gl.activeTexture(GL_TEXTURE0 + shownUnit);
    glBindTexture(GL_TEXTURE_2D, 0);
    gl.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return glGetError() == GL_NO_ERROR;
}
