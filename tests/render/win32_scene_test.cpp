#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/frame_clock.h"
#include "render/win32_monitor_view.h"
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

// What the frame has set up by the time the objects draw.
class FrameProbe : public Renderable {
public:
    void Draw() override
    {
        glReadBuffer(GL_BACK);
        glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        glGetFloatv(GL_CURRENT_COLOR, colour);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    }
    GLubyte pixel[4] = {1, 1, 1, 1};
    GLfloat depth = 0.0f;
    GLfloat colour[4] = {};
    GLfloat modelView[16] = {};
};

TEST(SceneTest, FrameClearsToBlackAndDrawsFromIdentityInWhite)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    Scene scene;
    scene.output.deviceContext = context.DeviceContext();
    scene.output.width = 64;
    scene.output.height = 64;
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClearDepth(0.25);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    scene.InitGL();
    glColor3f(0.0f, 0.0f, 0.0f);
    glTranslatef(1.0f, 2.0f, 3.0f);

    FrameProbe probe;
    scene.Add(&probe);
    scene.Frame();

    EXPECT_EQ(probe.pixel[0], 0);
    EXPECT_EQ(probe.pixel[1], 0);
    EXPECT_EQ(probe.pixel[2], 0);
    EXPECT_EQ(probe.depth, 1.0f);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(probe.colour[k], 1.0f);
    }
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(probe.modelView[k], k % 5 == 0 ? 1.0f : 0.0f) << k;
    }
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
}

struct Perspective {
    double fovyDegrees;
    double aspect;
    double nearPlane;
    double farPlane;
};

// The perspective behind the current projection. The camera multiplies it
// by a rigid look-at, whose rows have unit length in their first three
// columns: so the first two rows' lengths are the focal lengths, the last row
// is minus the look-at's third row, and the third row holds the near and far
// terms A and B on top of it.
Perspective CurrentPerspective()
{
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    auto at = [&m](int row, int column) { return m[column * 4 + row]; };
    auto rowLength = [&at](int row) {
        return std::sqrt(at(row, 0) * at(row, 0) + at(row, 1) * at(row, 1) + at(row, 2) * at(row, 2));
    };
    const double focal = rowLength(1);
    const double a = -(at(2, 0) * at(3, 0) + at(2, 1) * at(3, 1) + at(2, 2) * at(3, 2));
    const double b = at(2, 3) + a * at(3, 3);
    const double pi = std::acos(-1.0);
    return Perspective{2.0 * std::atan(1.0 / focal) * 180.0 / pi, focal / rowLength(0), b / (a - 1.0), b / (a + 1.0)};
}

void ExpectPerspective(const Perspective& expected, const char* when)
{
    const Perspective actual = CurrentPerspective();
    EXPECT_NEAR(actual.fovyDegrees, expected.fovyDegrees, 1e-4) << when;
    EXPECT_NEAR(actual.aspect, expected.aspect, 1e-5) << when;
    EXPECT_NEAR(actual.nearPlane, expected.nearPlane, 1e-5) << when;
    EXPECT_NEAR(actual.farPlane, expected.farPlane, 0.1) << when;
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
    ExpectPerspective({45.0, 2.0, 0.1, 100.0}, "after InitGL");

    scene.output.renderingContext = wglGetCurrentContext();
    scene.output.Resize(300, 100);
    ExpectPerspective({45.0, 3.0, 1.0, 100.0}, "after Resize");
}

TEST(SceneTest, InitGLLeavesTheProjectionAloneForAZeroHeight)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    Scene scene;
    scene.output.width = 64;
    scene.output.height = 0;
    scene.InitGL();
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(projection[k], k % 5 == 0 ? 1.0 : 0.0) << k;
    }
}

TEST(MonitorViewTest, DrawsItsContentInItsViewportWithItsAspectRatio)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    std::string log;
    RecordingRenderable content('1', log);
    MonitorView view(content, Viewport{10, 20, 300, 100});
    view.Update(3.0f);
    view.Draw();
    EXPECT_EQ(log, "U1D1");
    EXPECT_EQ(content.times, std::vector<float>{3.0f});
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 10);
    EXPECT_EQ(viewport[1], 20);
    EXPECT_EQ(viewport[2], 300);
    EXPECT_EQ(viewport[3], 100);
    ExpectPerspective({45.0, 3.0, 0.1, 100.0}, "monitor view");

    MonitorView empty(content, Viewport{0, 0, 300, 0});
    empty.Draw();
    EXPECT_EQ(log, "U1D1");
}

}  // namespace
