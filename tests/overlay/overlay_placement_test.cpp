#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "overlay/overlay_placement.h"

namespace {

TEST(OverlayPlacementTest, EveryPlaceIsNewAndInsideTheInnerArea)
{
    // Previews, monitors of every common size, portrait ones, and a text box
    // far too large for the smaller ones (scaled to fit, as the clock does).
    const std::pair<int32_t, int32_t> monitors[] = {{40, 30},     {152, 112},   {200, 150},  {640, 480},
                                                    {1080, 1920}, {1920, 1080}, {2560, 1440}, {3440, 1440},
                                                    {3840, 2160}, {7680, 4320}, {768, 1366}, {1024, 600}};
    const std::pair<int32_t, int32_t> boxes[] = {{1, 1}, {90, 40}, {420, 150}, {2400, 900}};
    for (const auto& [width, height] : monitors) {
        const ScreenRect inner = InnerArea(width, height);
        ASSERT_GT(inner.Width(), 0);
        ASSERT_GT(inner.Height(), 0);
        for (const auto& [boxWidth, boxHeight] : boxes) {
            const float scale = FitScale(boxWidth, boxHeight, inner);
            const auto shownWidth = static_cast<int32_t>(static_cast<float>(boxWidth) * scale);
            const auto shownHeight = static_cast<int32_t>(static_cast<float>(boxHeight) * scale);
            for (uint32_t seed : {1u, 7u, 20261209u}) {
                PlaceChooser chooser(seed);
                std::set<std::pair<int32_t, int32_t>> seen;
                TextPlace last{-1, -1};
                for (int minute = 0; minute < 300; ++minute) {
                    const TextPlace place = chooser.Next(inner, shownWidth, shownHeight);
                    const std::string where = std::to_string(width) + "x" + std::to_string(height) + " box " +
                                              std::to_string(boxWidth) + " minute " + std::to_string(minute);
                    ASSERT_FALSE(place == last) << where;
                    ASSERT_GE(place.x, inner.left) << where;
                    ASSERT_GE(place.y, inner.top) << where;
                    ASSERT_LE(place.x + shownWidth, inner.right) << where;
                    ASSERT_LE(place.y + shownHeight, inner.bottom) << where;
                    seen.insert({place.x, place.y});
                    last = place;
                }
                // Wandering, not swinging between two places.
                EXPECT_GE(seen.size(), 4u) << width << "x" << height << " box " << boxWidth;
            }
        }
    }
}

TEST(OverlayPlacementTest, FadesInAfterShowingAndOutBeforeGoing)
{
    const struct {
        int64_t sinceShown;
        int64_t untilHidden;
        float opacity;
    } cases[] = {
        {0, 60000, 0.0f},     {250, 59750, 0.5f}, {500, 30000, 1.0f}, {30000, 30000, 1.0f},
        {59750, 250, 0.5f},   {60000, 0, 0.0f},   {100, 100, 0.2f},   {-5, 1000, 0.0f},
        {5000, -20, 0.0f},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(FadeOpacity(c.sinceShown, c.untilHidden), c.opacity) << c.sinceShown << " " << c.untilHidden;
    }
}

TEST(OverlayPlacementTest, TimeToTheNextMinuteAndTextSizes)
{
    EXPECT_EQ(MillisecondsToNextMinute(0, 0), 60000);
    EXPECT_EQ(MillisecondsToNextMinute(30, 500), 29500);
    EXPECT_EQ(MillisecondsToNextMinute(59, 999), 1);
    EXPECT_EQ(MillisecondsToNextMinute(60, 400), 1);  // a leap second

    const struct {
        int32_t pixelsAt96;
        uint32_t dpi;
        int32_t shown;
        int32_t monitor;
        int32_t pixels;
    } sizes[] = {{44, 96, 1080, 1080, 44}, {44, 144, 1080, 1080, 66}, {44, 192, 2160, 2160, 88},
                 {44, 96, 112, 768, 6},    {22, 96, 112, 768, 3},     {22, 96, 10, 4320, 1}};
    for (const auto& s : sizes) {
        EXPECT_EQ(ScaledTextPixels(s.pixelsAt96, s.dpi, s.shown, s.monitor), s.pixels) << s.dpi << " " << s.shown;
    }
}

}  // namespace
