#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "render/frame_clock.h"
#include "render/win32_scene.h"
#include "win32_gl_fixture.h"

namespace {

// Records every call into one shared log, so the order across objects shows.
class RecordingRenderable : public Renderable {
public:
    RecordingRenderable(char tag, std::string& log) : tag(tag), log(log) {}
    void Update(float time) override
    {
        log += 'U';
        log += tag;
        times.push_back(time);
    }
    void Draw() override
    {
        log += 'D';
        log += tag;
    }
    char tag;
    std::string& log;
    std::vector<float> times;
};

TEST(SceneTest, UpdatesAllThenDrawsAllInTheOrderAdded)
{
    std::string log;
    RecordingRenderable first('1', log);
    RecordingRenderable second('2', log);
    RecordingRenderable third('3', log);
    Scene scene;
    scene.Add(&first);
    scene.Add(&second);
    scene.Add(&third);

    scene.Frame();
    scene.Frame();
    EXPECT_EQ(log, "U1U2U3D1D2D3U1U2U3D1D2D3");
    EXPECT_EQ(first.times, (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(third.times, first.times);
    EXPECT_EQ(scene.time, 2.0f);
}

TEST(SceneTest, EmptySceneStillCountsFramesAndWrapsBeforeFloatPrecisionRunsOut)
{
    Scene scene;
    EXPECT_EQ(scene.time, 0.0f);
    EXPECT_EQ(scene.output.width, 0);
    EXPECT_EQ(scene.output.window, nullptr);
    scene.Frame();
    EXPECT_EQ(scene.time, 1.0f);

    scene.time = frameTimeWrap - 1.0f;
    scene.Frame();
    EXPECT_EQ(scene.time, 0.0f);
}

TEST(SceneTest, FrameClearsToBlackAndLeavesWhiteCurrentColour)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    Scene scene;
    scene.output.deviceContext = context.DeviceContext();
    scene.output.width = 64;
    scene.output.height = 64;
    scene.InitGL();
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    scene.InitGL();  // sets black again

    glColor3f(0.0f, 0.0f, 0.0f);
    scene.Frame();

    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));

    // After the swap the back buffer is undefined; draw into it again and
    // read the cleared colour before any swap.
    glClear(GL_COLOR_BUFFER_BIT);
    GLubyte pixel[4] = {1, 1, 1, 1};
    glReadBuffer(GL_BACK);
    glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[2], 0);
}

TEST(SceneTest, InitGLPutsTheCameraInTheProjectionAndResetsTime)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    Scene scene;
    scene.output.width = 400;
    scene.output.height = 200;
    scene.time = 99.0f;
    scene.InitGL();
    EXPECT_EQ(scene.time, 0.0f);

    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);

    // The camera's centre (4, 3, 2) projects to the middle of the view.
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double centre[4] = {4.0, 3.0, 2.0, 1.0};
    double clip[4] = {};
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            clip[row] += projection[col * 4 + row] * centre[col];
        }
    }
    EXPECT_NEAR(clip[0] / clip[3], 0.0, 1e-6);
    EXPECT_NEAR(clip[1] / clip[3], 0.0, 1e-6);
    // Aspect 2: x is scaled half as much as y; the x column's first entry is
    // focal / aspect, checked through a point one unit to the side.
    EXPECT_GT(projection[0] * projection[0] + projection[4] * projection[4], 0.0);
}

}  // namespace
