#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(SlideChoices, TheStandardIntervalsWithAStoredOneInItsPlace)
{
    const std::vector<std::string> standard = {"Never",     "10 seconds", "30 seconds",
                                               "1 minute", "5 minutes",  "15 minutes"};
    struct Case {
        int32_t stored;
        size_t at;          // where the stored value shows
        const char* label;  // nullptr: one of the standard entries
    };
    const Case cases[] = {
        {0, 0, nullptr},      {60, 3, nullptr},         {900, 5, nullptr},     {5, 1, "5 seconds"},
        {45, 3, "45 seconds"}, {120, 4, "2 minutes"},    {3600, 6, "1 hour"},  {86400, 6, "24 hours"},
        {3660, 6, "61 minutes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const std::vector<SlideChoice> choices = SlideChoices(c.stored);
        ASSERT_EQ(standard.size() + (c.label != nullptr ? 1 : 0), choices.size());
        EXPECT_EQ(c.stored, choices[c.at].seconds);
        std::vector<std::string> others;
        for (size_t i = 0; i < choices.size(); ++i) {
            if (i != c.at || c.label == nullptr) {
                others.push_back(choices[i].label);
            } else {
                EXPECT_EQ(c.label, choices[i].label);
            }
        }
        EXPECT_EQ(standard, others);
    }
}
