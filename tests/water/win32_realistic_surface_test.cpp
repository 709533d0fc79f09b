#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "picture/win32_picture_textures.h"
#include "water/win32_realistic_surface.h"
#include "win32_gl_fixture.h"

namespace {

constexpr int kSide = 50;

// The same map every frame: every texel alike.
class FlatLight : public LightMapSource {
public:
    FlatLight(uint8_t r, uint8_t g, uint8_t b, uint8_t a) : texels(16 * 16 * 4)
    {
        for (size_t i = 0; i < texels.size(); i += 4) {
            texels[i] = r;
            texels[i + 1] = g;
            texels[i + 2] = b;
            texels[i + 3] = a;
        }
    }
    LightMapView LightAt(double) override { return LightMapView{texels.data(), 16, 16}; }

private:
    std::vector<uint8_t> texels;
};

// RGBA rows bottom-up: every pixel differs from its neighbours, so any shift,
// flip or blend shows.
std::vector<uint8_t> Pattern()
{
    std::vector<uint8_t> pixels(kSide * kSide * 4);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            uint8_t* p = &pixels[(x + y * kSide) * 4];
            p[0] = static_cast<uint8_t>(x * 4);
            p[1] = static_cast<uint8_t>(y * 4);
            p[2] = static_cast<uint8_t>((x * 7 + y * 13) % 256);
            p[3] = 255;
        }
    }
    return pixels;
}

// Both ways of drawing a full-screen frame must show the same.
constexpr WaterDrawing drawings[] = {WaterDrawing::Pass, WaterDrawing::Composed};

std::vector<uint8_t> DrawnFrame(WaterDrawing drawing, LightMapSource& light, const PlacedPicture& picture,
                                const PlacedPicture& incoming = PlacedPicture{}, float fade = 0.0f)
{
    RealisticSurface surface(light);
    surface.DrawAlways(drawing);
    std::vector<uint8_t> frame(kSide * kSide * 4);
    if (!surface.Start(kSide, kSide)) {
        ADD_FAILURE() << surface.Failure();
        return frame;
    }
    glViewport(0, 0, kSide, kSide);
    surface.SetPictures(picture, incoming, fade);
    surface.Update(0.0);
    EXPECT_TRUE(surface.Draw());
    // Not a fallback to the pass.
    EXPECT_EQ(surface.Drawing(), drawing);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

struct Expected {
    const char* what;
    uint8_t r, g, b, a;  // the light map's every texel
    int dx, dy;          // where a pixel's picture comes from, relative to it, in pixels (y up)
    int lift;            // added to every channel of the picture
};

TEST(RealisticSurfaceTest, ShowsThePictureWhereTheLightMapSays)
{
    HiddenGLContext context(4 * kSide, 4 * kSide);  // the client area holds the viewport
    ASSERT_TRUE(context.Ready());
    const std::vector<uint8_t> pattern = Pattern();
    GLuint texture = 0;
    CreateTexture(&texture, GL_RGBA, kSide, kSide, GL_RGBA, pattern.data());
    // Full scale is 2 % of the height: one pixel here.
    const Expected cases[] = {
        {"still water, pixel for pixel", 128, 128, 128, 0, 0, 0, 0},
        {"full displacement right", 255, 128, 128, 0, 1, 0, 0},
        {"full displacement down", 128, 255, 128, 0, 0, -1, 0},
        {"full displacement left and up", 1, 1, 128, 0, -1, 1, 0},
        {"white glint", 128, 128, 128, 255, 0, 0, 255},
    };
    for (const WaterDrawing drawing : drawings)
    for (const Expected& c : cases) {
        FlatLight light(c.r, c.g, c.b, c.a);
        const std::vector<uint8_t> frame = DrawnFrame(drawing, light, PlacedPicture{texture, inPlace, 1});
        int wrong = 0;
        // Away from the edges, where the displaced point is held inside.
        for (int y = 2; y < kSide - 2; ++y) {
            for (int x = 2; x < kSide - 2; ++x) {
                const uint8_t* got = &frame[(x + y * kSide) * 4];
                const uint8_t* want = &pattern[(x + c.dx + (y + c.dy) * kSide) * 4];
                for (int k = 0; k < 3; ++k) {
                    const int expected = want[k] + c.lift > 255 ? 255 : want[k] + c.lift;
                    wrong += std::abs(got[k] - expected) > 1 ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << c.what << (drawing == WaterDrawing::Composed ? ", composed" : "");
    }
    glDeleteTextures(1, &texture);
}

TEST(RealisticSurfaceTest, CausticScalesBrightnessAndTheBandsAreDark)
{
    HiddenGLContext context(4 * kSide, 4 * kSide);  // the client area holds the viewport
    ASSERT_TRUE(context.Ready());
    const std::vector<uint8_t> grey(kSide * kSide * 4, 100);
    GLuint texture = 0;
    CreateTexture(&texture, GL_RGBA, kSide, kSide, GL_RGBA, grey.data());
    FlatLight brighter(128, 128, 192, 0);
    // The picture only in the monitor's left half: a portrait fit's band.
    PicturePlace leftHalf = inPlace;
    leftHalf.right = 0.5f;
    // A quarter of the way to a picture of 200 that fills the monitor: the
    // band shows a quarter of it.
    const std::vector<uint8_t> light(kSide * kSide * 4, 200);
    GLuint incoming = 0;
    CreateTexture(&incoming, GL_RGBA, kSide, kSide, GL_RGBA, light.data());
    FlatLight still(128, 128, 128, 0);
    for (const WaterDrawing drawing : drawings) {
        const std::vector<uint8_t> frame = DrawnFrame(drawing, brighter, PlacedPicture{texture, leftHalf, 1});
        EXPECT_NEAR(frame[(10 + 32 * kSide) * 4], 150, 1);  // 100 x 192 / 128
        EXPECT_EQ(frame[(40 + 32 * kSide) * 4], 0);
        const std::vector<uint8_t> fading = DrawnFrame(drawing, still, PlacedPicture{texture, leftHalf, 1},
                                                       PlacedPicture{incoming, inPlace, 2}, 0.25f);
        EXPECT_NEAR(fading[(10 + 32 * kSide) * 4], 125, 1);
        EXPECT_NEAR(fading[(40 + 32 * kSide) * 4], 50, 1);
    }
    glDeleteTextures(1, &incoming);
    glDeleteTextures(1, &texture);
}

TEST(BuildShaderProgramTest, AShaderThatDoesNotCompileGivesNoProgramAndSaysWhy)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    const ShaderFunctions gl = ResolveShaderFunctions();
    ASSERT_TRUE(gl.complete);
    std::string log;
    const char* vertex = "#version 110\nvoid main() { gl_Position = gl_Vertex; }\n";
    EXPECT_EQ(BuildShaderProgram(gl, vertex, "#version 110\nvoid main() { gl_FragColor = nonsense; }\n", log), 0u);
    EXPECT_FALSE(log.empty());
    // Compiles, but a fragment shader without main does not link.
    EXPECT_EQ(BuildShaderProgram(gl, vertex, "#version 110\nvoid helper() {}\n", log), 0u);
    EXPECT_FALSE(log.empty());
    const GLuint program = BuildShaderProgram(gl, vertex, "#version 110\nvoid main() { gl_FragColor = vec4(1.0); }\n", log);
    EXPECT_NE(program, 0u) << log;
    gl.deleteProgram(program);
}

}  // namespace
