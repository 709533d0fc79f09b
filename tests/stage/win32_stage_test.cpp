#include <gtest/gtest.h>

#include <vector>

#include "stage/win32_stage.h"
#include "win32_gl_fixture.h"

namespace {

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
