#include <gtest/gtest.h>

#include "settings/dialog_choices.h"

namespace {

TEST(SpeedSlider, RunsFromHalfThroughTodaysToTwiceInEqualFactors)
{
    const int32_t percents[] = {50, 59, 71, 84, 100, 119, 141, 168, 200};
    for (int32_t position = 0; position <= speedSliderMaximum; ++position) {
        EXPECT_EQ(percents[position], SpeedPercentFromSlider(position)) << position;
        EXPECT_EQ(position, SliderFromSpeedPercent(percents[position])) << position;
    }
    // Between positions the nearest; out of range the nearest end.
    EXPECT_EQ(6, SliderFromSpeedPercent(130));
    EXPECT_EQ(0, SliderFromSpeedPercent(-5));
    EXPECT_EQ(8, SliderFromSpeedPercent(1000));
    EXPECT_EQ(200, SpeedPercentFromSlider(99));
}

TEST(PictureChoice, SourceAndLabelFollowTheChoices)
{
    const struct {
        bool on;
        const char* file;
        const char* folder;
        PictureSource source;
        const char* label;
    } cases[] = {
        {false, "D:\\lake.jpg", "D:\\Photos", PictureSource::Desktop, "Desktop"},
        {true, "D:\\lake.jpg", "", PictureSource::File, "D:\\lake.jpg"},
        {true, "D:\\lake.jpg", "D:\\Photos", PictureSource::Folder, "D:\\Photos"},
        {true, " ", "", PictureSource::BuiltIn, "Built-in picture"},
        {true, "", "", PictureSource::BuiltIn, "Built-in picture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const PictureSource source = ChosenPictureSource(c.on, c.file, c.folder);
        EXPECT_EQ(c.source, source);
        EXPECT_EQ(c.label, PictureSourceLabel(source, c.file, c.folder));
    }
}

}  // namespace
