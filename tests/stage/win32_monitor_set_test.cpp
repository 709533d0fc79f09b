#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "stage/win32_monitor_set.h"
#include "water/win32_water_surface.h"
#include "win32_gl_fixture.h"

namespace {

TEST(MonitorSetTest, ANewLayoutKeepsStayingMonitorsPicturesAndFreesTheRemovedOnes)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    std::vector<SharedPicture> piecesGiven;
    MonitorSet set(
        true, [](const MonitorPart&) { return std::make_unique<WaterSurface>(); },
        [&](const MonitorPart&, const SharedPicture& piece) {
            piecesGiven.push_back(piece);
            GLuint name = 0;
            glGenTextures(1, &name);
            glBindTexture(GL_TEXTURE_2D, name);
            return std::make_shared<PictureTexture>(name, PixelSize{1, 1});
        });
    const std::vector<DisplayMonitor> before{{{0, 0, 64, 48}, "A"}, {{64, 0, 96, 32}, "B"}};
    set.CaptureJoining(before);
    set.LayOut(before, {0, 0, 96, 48});
    ASSERT_EQ(set.Count(), 2u);
    ASSERT_EQ(piecesGiven.size(), 2u);
    const GLuint kept = set.Picture(0)->Name();
    const GLuint removed = set.Picture(1)->Name();

    // A grows and moves to second place, B goes, C joins first.
    const std::vector<DisplayMonitor> after{{{0, 0, 32, 32}, "C"}, {{32, 0, 112, 60}, "A"}};
    set.CaptureJoining(after);
    set.LayOut(after, {0, 0, 112, 60});
    ASSERT_EQ(set.Count(), 2u);
    ASSERT_EQ(piecesGiven.size(), 3u) << "only the joining monitor gets a new picture";
    for (const SharedPicture& piece : piecesGiven) {
        ASSERT_NE(piece, nullptr);
        EXPECT_TRUE(glIsTexture(piece->Name())) << "each joining monitor's desktop piece is captured";
    }
    EXPECT_EQ(piecesGiven[2]->Size().width, 32) << "a desktop piece is as large as its monitor";
    EXPECT_EQ(set.Picture(1)->Name(), kept);
    EXPECT_EQ(set.Part(1).viewport.width, 80);
    EXPECT_EQ(set.Part(0).viewport.y, 28);
    EXPECT_FALSE(glIsTexture(removed)) << "the removed monitor's texture is freed";

    GLuint replacement = 0;
    glGenTextures(1, &replacement);
    glBindTexture(GL_TEXTURE_2D, replacement);
    set.SetPicture(1, std::make_shared<PictureTexture>(replacement, PixelSize{1, 1}));
    EXPECT_FALSE(glIsTexture(kept)) << "a replaced picture is freed";
    EXPECT_TRUE(glIsTexture(replacement));
}

// Records where each of its draws lands.
class RecordingOverlay : public MonitorOverlay {
public:
    explicit RecordingOverlay(std::vector<std::pair<size_t, Viewport>>& draws) : draws(draws) {}
    void Draw(size_t monitor, const ShownPictures&) override
    {
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        draws.push_back({monitor, Viewport{viewport[0], viewport[1], viewport[2], viewport[3]}});
    }

private:
    std::vector<std::pair<size_t, Viewport>>& draws;
};

TEST(MonitorSetTest, OverlaysDrawOverEachMonitorInItsViewportAndADarkMonitorShowsNothing)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    MonitorSet set(
        false, [](const MonitorPart&) { return std::make_unique<WaterSurface>(); },
        [](const MonitorPart&, const SharedPicture&) { return nullptr; });
    std::vector<std::pair<size_t, Viewport>> draws;
    set.AddOverlay(std::make_unique<RecordingOverlay>(draws));
    const std::vector<DisplayMonitor> three{
        {{0, 0, 64, 48}, "A"}, {{64, 0, 96, 32}, "B"}, {{96, 0, 128, 16}, "C"}};
    set.LayOut(three, {0, 0, 128, 48});
    set.SetDark(1, true);
    set.Update(0.0f);
    set.Draw();
    ASSERT_EQ(2u, draws.size());
    for (size_t draw = 0; draw < draws.size(); ++draw) {
        const size_t monitor = draws[draw].first;
        EXPECT_EQ(draw == 0 ? 0u : 2u, monitor);
        EXPECT_EQ(set.Part(monitor).viewport.x, draws[draw].second.x);
        EXPECT_EQ(set.Part(monitor).viewport.width, draws[draw].second.width);
    }
}

}  // namespace
