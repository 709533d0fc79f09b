#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "overlay/overlay_placement.h"

namespace {

TEST(OverlayPlacementTest, EveryPlaceIsNewAndInsideTheInnerArea)
{
    // Previews, common monitors, portrait ones, and text boxes from a dot to
    // far too large (scaled to fit, as the clock does).
    const std::pair<int32_t, int32_t> monitors[] = {{40, 30},     {152, 112},   {640, 480},  {1080, 1920},
                                                    {1920, 1080}, {3440, 1440}, {7680, 4320}, {768, 1366}};
    const std::pair<int32_t, int32_t> boxes[] = {{1, 1}, {90, 40}, {420, 150}, {2400, 900}};
    for (const auto& [width, height] : monitors) {
        const ScreenRect inner = InnerArea(width, height);
        for (const auto& [boxWidth, boxHeight] : boxes) {
            const float scale = FitScale(boxWidth, boxHeight, inner);
            const auto w = static_cast<int32_t>(static_cast<float>(boxWidth) * scale);
            const auto h = static_cast<int32_t>(static_cast<float>(boxHeight) * scale);
            PlaceChooser chooser(width + boxWidth);
            std::set<std::pair<int32_t, int32_t>> seen;
            TextPlace last{-1, -1};
            for (int minute = 0; minute < 300; ++minute) {
                const TextPlace place = chooser.Next(inner, w, h);
                ASSERT_FALSE(place == last) << width << "x" << height << " box " << boxWidth << " minute " << minute;
                ASSERT_TRUE(place.x >= inner.left && place.y >= inner.top && place.x + w <= inner.right &&
                            place.y + h <= inner.bottom)
                    << width << "x" << height << " box " << boxWidth << " at " << place.x << "," << place.y;
                seen.insert({place.x, place.y});
                last = place;
            }
            EXPECT_GE(seen.size(), 4u) << "wanders, not swinging between two places: " << width << " " << boxWidth;
        }
    }
}

TEST(OverlayPlacementTest, FadesTimeToTheMinuteAndTextSizes)
{
    const int64_t fades[][3] = {{0, 60000, 0},   {250, 59750, 50}, {500, 30000, 100}, {59750, 250, 50},
                                {60000, 0, 0},   {100, 100, 20},   {-5, 1000, 0},     {5000, -20, 0}};
    for (const auto& f : fades) {
        EXPECT_FLOAT_EQ(FadeOpacity(f[0], f[1]), static_cast<float>(f[2]) / 100.0f) << f[0] << " " << f[1];
    }
    const int32_t minutes[][3] = {{0, 0, 60000}, {30, 500, 29500}, {59, 999, 1}, {60, 400, 1}};  // a leap second
    for (const auto& m : minutes) {
        EXPECT_EQ(MillisecondsToNextMinute(m[0], m[1]), m[2]) << m[0];
    }
    // Pixels at 96 DPI, DPI, shown height, monitor height: pixels.
    const int32_t sizes[][5] = {{44, 96, 1080, 1080, 44}, {44, 144, 1080, 1080, 66}, {44, 192, 2160, 2160, 88},
                                {44, 96, 112, 768, 6},    {22, 96, 10, 4320, 1}};
    for (const auto& s : sizes) {
        EXPECT_EQ(ScaledTextPixels(s[0], static_cast<uint32_t>(s[1]), s[2], s[3]), s[4]) << s[1] << " " << s[2];
    }
}

}  // namespace
