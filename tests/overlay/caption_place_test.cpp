#include <gtest/gtest.h>

#include <string>

#include "overlay/caption_place.h"

namespace {

TEST(CaptionPlace, StaysInTheLowerLeftAndMovesWithEachPicture)
{
    const struct {
        int32_t width, height;
    } monitors[] = {{1920, 1080}, {1080, 1920}, {3840, 2160}, {152, 112}, {800, 600}};
    for (const auto m : monitors) {
        const int32_t boxWidth = m.width / 3;
        const int32_t boxHeight = m.height / 16;
        const int32_t innerBottom = InnerArea(m.width, m.height).bottom;
        TextPlace before = CaptionPlace(m.width, m.height, boxWidth, boxHeight, 0);
        for (uint32_t n = 1; n < 40; ++n) {
            const TextPlace place = CaptionPlace(m.width, m.height, boxWidth, boxHeight, n);
            const std::string name = std::to_string(m.width) + "x" + std::to_string(m.height) + " #" + std::to_string(n);
            EXPECT_FALSE(place == before) << name;
            EXPECT_GE(place.x, 0) << name;
            EXPECT_LE(place.x + boxWidth, m.width / 2) << name;
            EXPECT_GT(place.y + boxHeight, innerBottom) << name;
            EXPECT_LE(place.y + boxHeight, m.height) << name;
            before = place;
        }
    }
    // A caption larger than a tiny preview still starts on it.
    EXPECT_TRUE(CaptionPlace(100, 60, 300, 80, 3) == (TextPlace{0, 0}));
}

} // namespace
