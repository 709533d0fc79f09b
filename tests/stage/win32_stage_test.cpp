#include <gtest/gtest.h>

#include <vector>

#include "clock/win32_clock.h"
#include "picture/picture_test_files.h"
#include "stage/win32_stage.h"
#include "win32_gl_fixture.h"
#include "win32_scratch_folder.h"

namespace {

const std::vector<DisplayMonitor> twoMonitors{{{0, 0, 64, 48}, "A"}, {{64, 0, 96, 32}, "B"}};
const ScreenRect bothMonitors = {0, 0, 96, 48};

StageChoice ChoiceOf(PictureSource source)
{
    StageChoice choice;
    choice.source = source;
    return choice;
}

// The dialog's preview changes its choice while it shows: each change loads
// only what it changes, and every monitor follows it.
TEST(StageTest, AChoiceReloadsThePicturesOnlyWhenTheyChange)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    Stage stage(ChoiceOf(PictureSource::BuiltIn), true);
    stage.CaptureJoining(twoMonitors);
    stage.LayOut(twoMonitors, bothMonitors);
    stage.Start({64, 64});
    const ShownPictures builtIn = stage.Monitors().Pictures(0);
    EXPECT_NE(0u, builtIn.texture);
    EXPECT_EQ(builtIn.texture, stage.Monitors().Pictures(1).texture) << "one built-in picture for all monitors";
    EXPECT_EQ(128, builtIn.size.width) << "the built-in picture at its own size";

    StageChoice faster = stage.Choice();
    faster.speedPercent = 200;
    EXPECT_TRUE(stage.Choose(faster)) << "new waves start from still water";
    EXPECT_FALSE(stage.Choose(faster));
    EXPECT_EQ(builtIn.texture, stage.Monitors().Pictures(0).texture) << "the waves' change keeps the picture";

    StageChoice desktop = faster;
    desktop.source = PictureSource::Desktop;
    EXPECT_FALSE(stage.Choose(desktop));
    const ShownPictures piece = stage.Monitors().Pictures(1);
    EXPECT_TRUE(glIsTexture(piece.texture));
    EXPECT_NE(piece.texture, stage.Monitors().Pictures(0).texture) << "each monitor its own piece";
    EXPECT_EQ(32, piece.size.width) << "a piece as large as its monitor";
    EXPECT_FALSE(glIsTexture(builtIn.texture)) << "the picture no monitor shows is freed";
}

// A file's picture reaches every monitor through the slideshow, with its own
// size, however its texture is rounded.
TEST(StageTest, AFilesPictureReachesTheMonitorsWithItsOwnSize)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    ScratchFolder folder;
    StageChoice choice = ChoiceOf(PictureSource::File);
    choice.file = folder.Write("wide.bmp", picture_test::MakeBmpFile(48, 20, picture_test::QuadrantColour));
    Stage stage(choice);
    stage.CaptureJoining(twoMonitors);
    stage.LayOut(twoMonitors, bothMonitors);
    stage.Start({64, 64});
    const uint64_t end = PerformanceCounterMicroseconds() + 10000000;
    auto arrived = [&](size_t monitor) {
        const ShownPictures& pictures = stage.Monitors().Pictures(monitor);
        return pictures.fade > 0.0f || pictures.size.width != 0;
    };
    while (!(arrived(0) && arrived(1)) && PerformanceCounterMicroseconds() < end) {
        stage.Update(0.0f);
        Sleep(2);
    }
    for (size_t monitor = 0; monitor < 2; ++monitor) {
        const ShownPictures& pictures = stage.Monitors().Pictures(monitor);
        const bool fading = pictures.fade > 0.0f;
        const PixelSize size = fading ? pictures.incomingSize : pictures.size;
        EXPECT_TRUE(glIsTexture(fading ? pictures.incomingTexture : pictures.texture)) << monitor;
        EXPECT_EQ(48, size.width) << monitor;
        EXPECT_EQ(20, size.height) << monitor;
    }
    EXPECT_EQ(choice.file, stage.ShownPicture());
}

std::vector<bool> Darkness(Stage& stage)
{
    std::vector<bool> dark;
    for (size_t i = 0; i < stage.Monitors().Count(); ++i) {
        dark.push_back(stage.Monitors().IsDark(i));
    }
    return dark;
}

TEST(StageTest, MainMonitorOnlyDarkensTheOthersThroughChangesButNeverAPreview)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    StageChoice choice;
    choice.source = PictureSource::BuiltIn;
    choice.mainMonitorOnly = true;
    Stage stage(choice), preview(choice);
    const std::vector<DisplayMonitor> three{{{0, 0, 64, 48}, "A"}, {{64, 0, 96, 32}, "B"}, {{96, 0, 128, 32}, "C"}};
    stage.LayOut(three, {0, 0, 128, 48});
    EXPECT_EQ(Darkness(stage), std::vector<bool>({false, true, true}));
    // B becomes the main monitor and D is plugged in: A goes dark, B lights.
    stage.LayOut({{{0, 0, 32, 32}, "B"}, {{32, 0, 96, 48}, "A"}, {{96, 0, 99, 3}, "D"}}, {0, 0, 99, 48});
    EXPECT_EQ(Darkness(stage), std::vector<bool>({false, true, true}));
    choice.mainMonitorOnly = false;
    stage.Choose(choice);
    EXPECT_EQ(Darkness(stage), std::vector<bool>({false, false, false}));
    // A preview's one surface shows, whatever the choice.
    preview.LayOut({three.front()}, three.front().area, true);
    EXPECT_EQ(Darkness(preview), std::vector<bool>({false}));
}

}  // namespace
