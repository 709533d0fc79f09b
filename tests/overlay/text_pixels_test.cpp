#include <gtest/gtest.h>

#include "overlay/text_pixels.h"

namespace {

TEST(TextPixelsTest, LightGlyphsOverADarkSoftShadowOnClearGround)
{
    constexpr int32_t side = 25;
    std::vector<uint8_t> coverage(side * side, 0);
    // A 3 x 3 glyph in the middle with one half-covered edge pixel.
    for (int32_t y = 11; y <= 13; ++y) {
        for (int32_t x = 11; x <= 13; ++x) {
            coverage[y * side + x] = 255;
        }
    }
    coverage[12 * side + 14] = 128;
    const std::vector<uint8_t> rgba = ShadowedText(coverage, side, side, 4);
    ASSERT_EQ(rgba.size(), coverage.size() * 4);
    const auto at = [&](int32_t x, int32_t y, int channel) { return rgba[(y * side + x) * 4 + channel]; };

    const struct {
        int32_t x, y;
        int red, alphaLow, alphaHigh;
    } pixels[] = {
        {12, 12, 255, 255, 255},  // the glyph: opaque white
        {14, 12, 128, 129, 255},  // half covered: half the light over the shadow
        {15, 12, 0, 60, 255},     // beside it: the shadow, dark
        {12, 10, 0, 60, 255},     // above it too
        {0, 0, 0, 0, 0},          // far off: untouched picture
        {24, 24, 0, 0, 0},
    };
    for (const auto& p : pixels) {
        EXPECT_EQ(at(p.x, p.y, 0), p.red) << p.x << "," << p.y;
        EXPECT_EQ(at(p.x, p.y, 1), at(p.x, p.y, 0));
        EXPECT_GE(at(p.x, p.y, 3), p.alphaLow) << p.x << "," << p.y;
        EXPECT_LE(at(p.x, p.y, 3), p.alphaHigh) << p.x << "," << p.y;
    }
    // Premultiplied: no pixel is lighter than it is opaque.
    for (size_t i = 0; i < rgba.size(); i += 4) {
        ASSERT_LE(rgba[i], rgba[i + 3]) << i / 4;
    }
    // Too few coverage bytes for the size: nothing is read beyond them.
    const std::vector<uint8_t> none = ShadowedText(std::vector<uint8_t>(10, 255), side, side, 4);
    EXPECT_EQ(none, std::vector<uint8_t>(side * side * 4, 0));
}

}  // namespace
