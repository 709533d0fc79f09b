#include <gtest/gtest.h>

#include <vector>

#include "app/win32_monitor_set.h"
#include "win32_gl_fixture.h"

namespace {

TEST(MonitorSetTest, ANewLayoutKeepsStayingMonitorsPicturesAndFreesTheRemovedOnes)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    std::vector<HBITMAP> piecesGiven;
    MonitorSet set(0, 100, true, [&](const MonitorPart&, HBITMAP piece) {
        piecesGiven.push_back(piece);
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        return std::make_shared<PictureTexture>(name);
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
    for (HBITMAP piece : piecesGiven) {
        EXPECT_NE(piece, nullptr) << "each joining monitor's desktop piece is captured";
    }
    EXPECT_EQ(set.Picture(1)->Name(), kept);
    EXPECT_EQ(set.Part(1).viewport.width, 80);
    EXPECT_EQ(set.Part(0).viewport.y, 28);
    EXPECT_FALSE(glIsTexture(removed)) << "the removed monitor's texture is freed";

    GLuint replacement = 0;
    glGenTextures(1, &replacement);
    glBindTexture(GL_TEXTURE_2D, replacement);
    set.SetPicture(1, std::make_shared<PictureTexture>(replacement));
    EXPECT_FALSE(glIsTexture(kept)) << "a replaced picture is freed";
    EXPECT_TRUE(glIsTexture(replacement));
}

TEST(MonitorSetTest, WithTheOthersDarkOnlyTheMainMonitorGetsAPictureThroughChanges)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    std::vector<HBITMAP> piecesGiven;
    MonitorSet set(0, 100, true, [&](const MonitorPart&, HBITMAP piece) {
        piecesGiven.push_back(piece);
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        return std::make_shared<PictureTexture>(name);
    });
    set.KeepOthersDark(true);
    const std::vector<DisplayMonitor> before{{{0, 0, 64, 48}, "A"}, {{64, 0, 96, 32}, "B"}, {{96, 0, 128, 32}, "C"}};
    set.CaptureJoining(before);
    set.LayOut(before, {0, 0, 128, 48});
    ASSERT_EQ(set.Count(), 3u);
    EXPECT_EQ(piecesGiven.size(), 1u) << "neither captured nor given a picture: the dark ones";
    EXPECT_EQ(std::vector<bool>({set.IsDark(0), set.IsDark(1), set.IsDark(2)}), std::vector<bool>({false, true, true}));
    const GLuint mainPicture = set.Picture(0)->Name();
    set.SetPicture(1, std::make_shared<PictureTexture>(0));
    EXPECT_EQ(set.Picture(1), nullptr);

    // B becomes the main monitor: it lights up, A goes dark and frees its
    // picture; D, plugged in, stays dark.
    const std::vector<DisplayMonitor> after{{{0, 0, 32, 32}, "B"}, {{32, 0, 96, 48}, "A"}, {{96, 0, 99, 3}, "D"}};
    set.CaptureJoining(after);
    set.LayOut(after, {0, 0, 99, 48});
    EXPECT_EQ(std::vector<bool>({set.IsDark(0), set.IsDark(1), set.IsDark(2)}), std::vector<bool>({false, true, true}));
    ASSERT_EQ(piecesGiven.size(), 2u);
    EXPECT_NE(set.Picture(0), nullptr);
    EXPECT_FALSE(glIsTexture(mainPicture));
    set.Update(1.0f);
    set.Draw();
}

}  // namespace
