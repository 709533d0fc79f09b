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

TEST(CaptionMoves, OnWithEachPictureAndEveryFewMinutesOfOne)
{
    CaptionMoves moves;
    const uint64_t t0 = 1000000;
    moves.Advance(0, true, t0);  // the first picture fades in over black
    EXPECT_EQ(1u, moves.IncomingPlace());
    moves.Advance(1, false, t0 + 1500);  // it came in at the incoming's place, at once in full
    EXPECT_EQ(1u, moves.ShownPlace());
    EXPECT_EQ(1.0f, moves.ShownOpacity());
    // It stands until it fades out, moves on and fades in again.
    const uint64_t placed = t0 + 1500 - textFadeMs;
    moves.Advance(1, false, placed + CaptionMoves::standMs - textFadeMs / 2);
    EXPECT_NEAR(0.5f, moves.ShownOpacity(), 0.01f);
    moves.Advance(1, false, placed + CaptionMoves::standMs);
    EXPECT_EQ(2u, moves.ShownPlace());
    EXPECT_EQ(0.0f, moves.ShownOpacity());
    // During a crossfade it stays in full where it is, however long.
    moves.Advance(1, true, placed + 3 * CaptionMoves::standMs);
    EXPECT_EQ(2u, moves.ShownPlace());
    EXPECT_EQ(1.0f, moves.ShownOpacity());
    moves.Advance(2, false, placed + 3 * CaptionMoves::standMs + 10);
    EXPECT_EQ(3u, moves.ShownPlace());
    EXPECT_EQ(1.0f, moves.ShownOpacity());
}

} // namespace
