#include <gtest/gtest.h>

#include <vector>

#include "water/win32_water_surface.h"
#include "win32_gl_fixture.h"

// After gl.h, which the surface's header brings.
#include <GL/glext.h>

// Draw's output is read back through OpenGL feedback mode: every triangle that
// survives clipping comes back as a polygon token with its window-space
// positions and texture coordinates, in the order the corners were sent.
namespace {

// An orthographic box of 20 x 20 x 20 units centred on (5, 5, 0), mapped onto a
// 1000 x 1000 viewport: 50 window units per world unit, so every grid here
// (and its translation) lies well inside and nothing is clipped.
const double kBoxLow = -5.0;
const double kBoxHigh = 15.0;
const double kBoxDepth = 10.0;
const int kViewportSize = 1000;
const double kWindowPerWorld = kViewportSize / (kBoxHigh - kBoxLow);

const double kPositionTolerance = 1e-3;
const double kTexTolerance = 1e-6;

struct FedBackVertex {
    Vec3 world;  // window coordinates mapped back through the box
    float s;
    float t;
    float r;
    float q;
};

struct Feedback {
    std::vector<std::vector<FedBackVertex>> polygons;
    int otherTokens = 0;
    bool overflowed = false;
};

// x, y, z; RGBA colour; s, t, r, q.
const int kValuesPerVertex = 3 + 4 + 4;

void SetUpBoxProjection()
{
    glViewport(0, 0, kViewportSize, kViewportSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(kBoxLow, kBoxHigh, kBoxLow, kBoxHigh, -kBoxDepth, kBoxDepth);
    glMatrixMode(GL_MODELVIEW);
    // Draw must replace whatever the modelview holds.
    glLoadIdentity();
    glTranslatef(100.0f, -50.0f, 3.0f);
    glScalef(2.0f, 2.0f, 2.0f);
}

Vec3 WindowToWorld(const GLfloat* window)
{
    // glOrtho maps eye z to depth (1 - z / depth) / 2.
    return Vec3{static_cast<float>(window[0] / kWindowPerWorld + kBoxLow),
                static_cast<float>(window[1] / kWindowPerWorld + kBoxLow),
                static_cast<float>(kBoxDepth * (1.0 - 2.0 * window[2]))};
}

Feedback ParseFeedback(const std::vector<GLfloat>& buffer, GLint count)
{
    Feedback result;
    if (count < 0) {
        result.overflowed = true;
        return result;
    }
    GLint k = 0;
    while (k < count) {
        const GLint token = static_cast<GLint>(buffer[k++]);
        if (token != GL_POLYGON_TOKEN) {
            ++result.otherTokens;
            break;
        }
        const GLint vertexCount = static_cast<GLint>(buffer[k++]);
        std::vector<FedBackVertex> polygon;
        for (GLint n = 0; n < vertexCount && k + kValuesPerVertex <= count; ++n) {
            const GLfloat* values = &buffer[k];
            polygon.push_back({WindowToWorld(values), values[7], values[8], values[9], values[10]});
            k += kValuesPerVertex;
        }
        result.polygons.push_back(polygon);
    }
    return result;
}

// Calls Draw with feedback mode on and returns what reached the rasteriser.
Feedback DrawInFeedback(WaterSurface& surface)
{
    std::vector<GLfloat> buffer(60000);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    (void)glRenderMode(GL_FEEDBACK);
    surface.Draw();
    const GLint count = glRenderMode(GL_RENDER);
    return ParseFeedback(buffer, count);
}

// Corner k of the drawn cells, in drawing order: cells column by column, two
// triangles per cell.
void CornerIndex(int32_t rows, size_t triangle, size_t corner, int32_t* i, int32_t* j)
{
    static const int32_t offsets[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
    const int32_t cellsPerColumn = rows - 2;
    const int32_t cell = static_cast<int32_t>(triangle / 2);
    const size_t slot = (triangle % 2) * 3 + corner;
    *i = cell / cellsPerColumn + offsets[slot][0];
    *j = cell % cellsPerColumn + offsets[slot][1];
}

void ExpectCornerMatches(const WaterSurface& surface, const FedBackVertex& fed, int32_t i, int32_t j)
{
    SCOPED_TRACE(testing::Message() << "vertex (" << i << ", " << j << ")");
    const Vec3& vertex = surface.vertices.At(i, j);
    const TexCoord& texCoord = surface.texCoords.At(i, j);
    EXPECT_NEAR(vertex.x + surface.position.x, fed.world.x, kPositionTolerance);
    EXPECT_NEAR(vertex.y + surface.position.y, fed.world.y, kPositionTolerance);
    EXPECT_NEAR(vertex.z + surface.position.z, fed.world.z, kPositionTolerance);
    EXPECT_NEAR(texCoord.u, fed.s, kTexTolerance);
    EXPECT_NEAR(texCoord.v, fed.t, kTexTolerance);
    EXPECT_EQ(0.0f, fed.r);
    EXPECT_EQ(1.0f, fed.q);
}

class WaterSurfaceDraw : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(context.Ready());
        SetUpBoxProjection();
        glEnable(GL_TEXTURE_2D);
        glColor3f(1.0f, 1.0f, 1.0f);
    }

    HiddenGLContext context;
};

TEST_F(WaterSurfaceDraw, DefaultGridSendsEveryDrawnCellInOrder)
{
    WaterSurface surface;
    surface.Init(20, 30, Rings);
    surface.Update(7.0f);
    const Feedback feedback = DrawInFeedback(surface);

    ASSERT_FALSE(feedback.overflowed);
    EXPECT_EQ(0, feedback.otherTokens);
    ASSERT_EQ(1008u, feedback.polygons.size());
    for (size_t triangle = 0; triangle < feedback.polygons.size(); ++triangle) {
        SCOPED_TRACE(testing::Message() << "triangle " << triangle);
        const std::vector<FedBackVertex>& polygon = feedback.polygons[triangle];
        ASSERT_EQ(3u, polygon.size());
        for (size_t corner = 0; corner < 3; ++corner) {
            int32_t i = 0;
            int32_t j = 0;
            CornerIndex(surface.rows, triangle, corner, &i, &j);
            ExpectCornerMatches(surface, polygon[corner], i, j);
        }
    }
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
}

TEST_F(WaterSurfaceDraw, ThreeByThreeSendsTwoTrianglesInCornerOrder)
{
    WaterSurface surface;
    surface.Init(3, 3, Rings);
    surface.Update(0.0f);
    const Feedback feedback = DrawInFeedback(surface);

    ASSERT_FALSE(feedback.overflowed);
    EXPECT_EQ(0, feedback.otherTokens);
    ASSERT_EQ(2u, feedback.polygons.size());
    const int32_t expected[2][3][2] = {{{0, 0}, {1, 0}, {0, 1}}, {{1, 0}, {1, 1}, {0, 1}}};
    for (size_t triangle = 0; triangle < 2; ++triangle) {
        ASSERT_EQ(3u, feedback.polygons[triangle].size());
        for (size_t corner = 0; corner < 3; ++corner) {
            SCOPED_TRACE(testing::Message() << "triangle " << triangle << " corner " << corner);
            ExpectCornerMatches(surface, feedback.polygons[triangle][corner], expected[triangle][corner][0],
                                expected[triangle][corner][1]);
        }
    }
}

TEST_F(WaterSurfaceDraw, NarrowGridDrawsNothingButStillBindsTheTexture)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    ASSERT_NE(0u, name);
    const GLubyte pixel[4] = {10, 20, 30, 255};
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindTexture(GL_TEXTURE_2D, 0);

    WaterSurface surface;
    surface.Init(2, 5, Rings);
    surface.texture = name;
    surface.Update(0.0f);
    const Feedback feedback = DrawInFeedback(surface);

    EXPECT_FALSE(feedback.overflowed);
    EXPECT_TRUE(feedback.polygons.empty());
    EXPECT_EQ(0, feedback.otherTokens);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLint>(name), bound);
    // An unbalanced glBegin would make the query above an error.
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
    // The first column still got its coordinates.
    EXPECT_NE(0.0f, surface.texCoords.At(0, 0).u);

    glDeleteTextures(1, &name);
}

TEST_F(WaterSurfaceDraw, PositionMovesTheMeshButNotItsTexture)
{
    WaterSurface still;
    still.Init(5, 4, Rings);
    still.Update(3.0f);
    const Feedback atOrigin = DrawInFeedback(still);

    WaterSurface moved;
    moved.Init(5, 4, Rings);
    moved.position = Vec3{1.5f, -2.0f, 0.25f};
    moved.Update(3.0f);
    const Feedback shifted = DrawInFeedback(moved);

    ASSERT_EQ(12u, atOrigin.polygons.size());  // 3 x 2 cells
    ASSERT_EQ(atOrigin.polygons.size(), shifted.polygons.size());
    for (size_t triangle = 0; triangle < shifted.polygons.size(); ++triangle) {
        ASSERT_EQ(3u, shifted.polygons[triangle].size());
        for (size_t corner = 0; corner < 3; ++corner) {
            SCOPED_TRACE(testing::Message() << "triangle " << triangle << " corner " << corner);
            const FedBackVertex& a = atOrigin.polygons[triangle][corner];
            const FedBackVertex& b = shifted.polygons[triangle][corner];
            EXPECT_NEAR(a.world.x + 1.5f, b.world.x, kPositionTolerance);
            EXPECT_NEAR(a.world.y - 2.0f, b.world.y, kPositionTolerance);
            EXPECT_NEAR(a.world.z + 0.25f, b.world.z, kPositionTolerance);
            EXPECT_EQ(a.s, b.s);
            EXPECT_EQ(a.t, b.t);
            int32_t i = 0;
            int32_t j = 0;
            CornerIndex(moved.rows, triangle, corner, &i, &j);
            ExpectCornerMatches(moved, b, i, j);
        }
    }
}

}  // namespace

namespace {

GLuint SolidTexture(GLubyte r, GLubyte g, GLubyte b)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    const GLubyte pixel[4] = {r, g, b, 255};
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return name;
}

// The two pictures of a change mix by the fade in one pass, or, where the
// driver cannot, the old one dims to black and the new one brightens; before
// and after it one picture shows, in its own colours.
TEST_F(WaterSurfaceDraw, ACrossfadeMixesTheTwoPicturesByItsFadeOrGoesThroughBlack)
{
    ASSERT_TRUE(CrossfadeInOnePass());
    const GLuint red = SolidTexture(255, 0, 0);
    const GLuint blue = SolidTexture(0, 0, 255);
    struct Case {
        bool onePass;
        GLuint incoming;
        float fade;
        int red, blue;
    };
    const Case cases[] = {
        {true, 0, 0.5f, 255, 0},   {true, blue, 0.0f, 255, 0},   {true, blue, 0.25f, 191, 64},
        {true, blue, 0.75f, 64, 191}, {false, 0, 0.5f, 255, 0},  {false, blue, 0.25f, 128, 0},
        {false, blue, 0.5f, 0, 0},  {false, blue, 0.75f, 0, 128}, {false, blue, 1.0f, 0, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.onePass ? "one pass, " : "through black, ") << c.fade);
        crossfadeInOnePass = CrossfadeInOnePass;
        if (!c.onePass) {
            crossfadeInOnePass = [] { return false; };
        }
        glViewport(0, 0, 64, 64);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(1.0, 7.0, 1.0, 5.0, -5.0, 5.0);
        glMatrixMode(GL_MODELVIEW);
        glClear(GL_COLOR_BUFFER_BIT);
        WaterSurface surface;
        surface.Init(20, 30, Rings);
        surface.Update(3.0f);
        surface.texture = red;
        surface.incomingTexture = c.incoming;
        surface.fade = c.fade;
        surface.Draw();
        GLubyte pixel[4] = {};
        glReadBuffer(GL_BACK);
        glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        EXPECT_NEAR(c.red, pixel[0], 2);
        EXPECT_EQ(0, pixel[1]);
        EXPECT_NEAR(c.blue, pixel[2], 2);
        // Whatever draws next finds the second unit off and the colour white.
        GLint unit = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
        EXPECT_EQ(GL_TEXTURE0, unit);
        GLfloat colour[4] = {};
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 1.0f && colour[2] == 1.0f) << colour[0] << " " << colour[1];
    }
    crossfadeInOnePass = CrossfadeInOnePass;
    glDeleteTextures(1, &red);
    glDeleteTextures(1, &blue);
}

}  // namespace
