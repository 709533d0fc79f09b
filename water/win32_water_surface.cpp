#include "water/win32_water_surface.h"

#include <GL/glext.h>

#include "render/gl_extensions.h"
#include "render/win32_gl_window.h"

namespace {

// The OpenGL 1.3 entry points; opengl32.dll exports only 1.1.
struct Multitexture {
    bool resolved = false;
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
    PFNGLMULTITEXCOORD2FPROC multiTexCoord2f = nullptr;
};

Multitexture multitexture;

bool HasExtension(const char* name)
{
    return ExtensionListHolds(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

template <class Function>
Function Resolve(const char* name, const char* extensionName)
{
    Function found = GLFunction<Function>(name);
    return found != nullptr ? found : GLFunction<Function>(extensionName);
}

// Once per process: the saver and the dialog's preview each draw with one
// driver. Needs a current context.
const Multitexture& ResolveMultitexture()
{
    if (!multitexture.resolved) {
        multitexture.resolved = true;
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        const bool core = version != nullptr && (version[0] > '1' || (version[0] == '1' && version[2] >= '3'));
        if (core || (HasExtension("GL_ARB_multitexture") && HasExtension("GL_ARB_texture_env_combine"))) {
            multitexture.activeTexture = Resolve<PFNGLACTIVETEXTUREPROC>("glActiveTexture", "glActiveTextureARB");
            multitexture.multiTexCoord2f =
                Resolve<PFNGLMULTITEXCOORD2FPROC>("glMultiTexCoord2f", "glMultiTexCoord2fARB");
        }
    }
    return multitexture;
}

}  // namespace

bool CrossfadeInOnePass()
{
    const Multitexture& functions = ResolveMultitexture();
    return functions.activeTexture != nullptr && functions.multiTexCoord2f != nullptr;
}

CrossfadeCheck crossfadeInOnePass = CrossfadeInOnePass;

void WaterSurface::Update(float time)
{
    Animate(time);
}

// The picture sizes do not matter here: the grid stretches any picture over
// the whole surface.
void WaterSurface::Show(const ShownPictures& pictures)
{
    texture = pictures.texture;
    incomingTexture = pictures.incomingTexture;
    fade = pictures.fade;
}

// Unit 0 holds the shown picture, unit 1 the incoming one, which the
// combiner mixes in by the constant colour's alpha: incoming x fade + shown
// x (1 - fade).
static void BindTwoPictures(GLuint shown, GLuint incoming, float fade)
{
    const Multitexture& functions = ResolveMultitexture();
    glBindTexture(GL_TEXTURE_2D, shown);
    functions.activeTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, incoming);
    const GLfloat mix[4] = {0.0f, 0.0f, 0.0f, fade};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, mix);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_INTERPOLATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PREVIOUS);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GL_CONSTANT);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_ALPHA);
}

static void UnbindSecondPicture()
{
    const Multitexture& functions = ResolveMultitexture();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    functions.activeTexture(GL_TEXTURE0);
}

void WaterSurface::Draw()
{
    glLoadIdentity();
    glTranslatef(position.x, position.y, position.z);

    ComputeTexCoords();

    const bool changing = incomingTexture != 0 && fade > 0.0f;
    if (changing && crossfadeInOnePass()) {
        BindTwoPictures(texture, incomingTexture, fade);
        const PFNGLMULTITEXCOORD2FPROC multiTexCoord2f = multitexture.multiTexCoord2f;
        glBegin(GL_TRIANGLES);
        ForEachDrawnCorner([multiTexCoord2f](const TexCoord& texCoord, const Vec3& vertex) {
            glTexCoord2f(texCoord.u, texCoord.v);
            multiTexCoord2f(GL_TEXTURE1, texCoord.u, texCoord.v);
            glVertex3f(vertex.x, vertex.y, vertex.z);
        });
        glEnd();
        UnbindSecondPicture();
        return;
    }

    GLuint picture = texture;
    if (changing) {
        // Through black: the old picture dims over the first half, the new
        // one brightens over the second.
        picture = fade < 0.5f ? texture : incomingTexture;
        const float level = fade < 0.5f ? 1.0f - 2.0f * fade : 2.0f * fade - 1.0f;
        glColor3f(level, level, level);
    }
    glBindTexture(GL_TEXTURE_2D, picture);
    glBegin(GL_TRIANGLES);
    ForEachDrawnCorner([](const TexCoord& texCoord, const Vec3& vertex) {
        glTexCoord2f(texCoord.u, texCoord.v);
        glVertex3f(vertex.x, vertex.y, vertex.z);
    });
    glEnd();
    if (changing) {
        glColor3f(1.0f, 1.0f, 1.0f);
    }
}
