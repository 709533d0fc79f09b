#include <gtest/gtest.h>

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

}  // namespace
