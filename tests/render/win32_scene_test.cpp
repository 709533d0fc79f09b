#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <string>
#include <vector>

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

uint64_t fakeMicroseconds = 0;
uint64_t FakeClock()
{
    return fakeMicroseconds;
}

TEST(SceneTest, UpdatesAllThenDrawsAllInTheOrderAdded)
{
    std::string log;
    RecordingRenderable first('1', log);
    RecordingRenderable second('2', log);
    RecordingRenderable third('3', log);
    Scene scene;
    scene.clock = FakeClock;
    scene.Add(&first);
    scene.Add(&second);
    scene.Add(&third);

    // The time comes from the clock: a frame 84 ms late loses none of it, and
    // the time restarts with the GL state.
    for (uint64_t at : {1000000, 1016000, 1100000}) {
        fakeMicroseconds = at;
        scene.Frame();
    }
    scene.InitGL();
    scene.Frame();
    EXPECT_EQ(log, "U1U2U3D1D2D3U1U2U3D1D2D3U1U2U3D1D2D3U1U2U3D1D2D3");
    EXPECT_EQ(first.times, (std::vector<float>{0.0f, 1.0f, 6.25f, 0.0f}));
    EXPECT_EQ(third.times, first.times);
}

// What the frame has set up by the time the objects draw.
class FrameProbe : public Renderable {
public:
    void Draw() override
    {
        glReadBuffer(GL_BACK);
        glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        glGetFloatv(GL_CURRENT_COLOR, colour);
    }
    GLubyte pixel[4] = {1, 1, 1, 1};
    GLfloat colour[4] = {};
};

TEST(SceneTest, FrameClearsToBlackAndDrawsInWhite)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    Scene scene;
    scene.output.deviceContext = context.DeviceContext();
    scene.output.width = 64;
    scene.output.height = 64;
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    scene.InitGL();
    glColor3f(0.0f, 0.0f, 0.0f);

    FrameProbe probe;
    scene.Add(&probe);
    scene.Frame();

    EXPECT_EQ(std::vector<int>(probe.pixel, probe.pixel + 3), std::vector<int>(3, 0)) << "cleared to black";
    EXPECT_EQ(std::vector<GLfloat>(probe.colour, probe.colour + 3), std::vector<GLfloat>(3, 1.0f)) << "white";
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
}

// The projection is a 45 degree perspective times a rigid look-at, whose rows
// have unit length in their first three columns. So the first two rows'
// lengths are the focal lengths, the last row is minus the look-at's third
// row, and the third row adds the near and far terms A and B on top of it.
// The far plane comes out of a difference of nearly equal terms: a looser bound.
void ExpectPerspective(double aspect, double nearPlane, const char* when)
{
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    auto at = [&m](int row, int column) { return m[column * 4 + row]; };
    auto rowLength = [&at](int row) {
        return std::sqrt(at(row, 0) * at(row, 0) + at(row, 1) * at(row, 1) + at(row, 2) * at(row, 2));
    };
    const double a = -(at(2, 0) * at(3, 0) + at(2, 1) * at(3, 1) + at(2, 2) * at(3, 2));
    const double b = at(2, 3) + a * at(3, 3);
    EXPECT_NEAR(2.0 * std::atan(1.0 / rowLength(1)), std::acos(-1.0) / 4.0, 1e-6) << when;
    EXPECT_NEAR(rowLength(1) / rowLength(0), aspect, 1e-5) << when;
    EXPECT_NEAR(b / (a - 1.0), nearPlane, 1e-5) << when;
    EXPECT_NEAR(b / (a + 1.0), 100.0, 0.1) << when;
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
    ExpectPerspective(2.0, 0.1, "after InitGL");

    scene.output.renderingContext = wglGetCurrentContext();
    scene.output.Resize(300, 100);
    ExpectPerspective(3.0, 1.0, "after Resize");

    // A zero height has no aspect ratio: the projection stays as it was.
    scene.output.height = 0;
    scene.InitGL();
    ExpectPerspective(3.0, 1.0, "after InitGL with a zero height");
}

}  // namespace
