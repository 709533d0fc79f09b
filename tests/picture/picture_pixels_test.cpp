#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "picture/picture_pixels.h"

namespace {

using Pixel = std::vector<uint8_t>;

TEST(BgrxToRgba, SwapsRedAndBlueAndSetsAlphaByBlackness)
{
    const struct {
        const char* name;
        Pixel bgrx;
        Pixel rgba;
    } cases[] = {
        {"pure black is transparent", {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"black with a stray fourth byte", {0, 0, 0, 77}, {0, 0, 0, 0}},
        {"blue of 1", {1, 0, 0, 0}, {0, 0, 1, 255}},
        {"green of 1", {0, 1, 0, 0}, {0, 1, 0, 255}},
        {"red of 1", {0, 0, 1, 0}, {1, 0, 0, 255}},
        {"mixed", {10, 20, 30, 0}, {30, 20, 10, 255}},
        {"white", {255, 255, 255, 255}, {255, 255, 255, 255}},
    };
    Pixel all;
    Pixel expected;
    for (const auto& c : cases) {
        Pixel pixel = c.bgrx;
        BgrxToRgba(pixel.data(), 1);
        EXPECT_EQ(c.rgba, pixel) << c.name;
        all.insert(all.end(), c.bgrx.begin(), c.bgrx.end());
        expected.insert(expected.end(), c.rgba.begin(), c.rgba.end());
    }
    BgrxToRgba(all.data(), all.size() / 4);
    EXPECT_EQ(expected, all) << "all in one buffer";
}

// Pixel (x, y) of a test image holds x in byte 0 and y in byte 1.
std::vector<uint8_t> CoordinateImage(int width, int height)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.insert(pixels.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 9, 9});
        }
    }
    return pixels;
}

TEST(ShrinkPixels, KeepsEveryKthRowAndColumnInPlace)
{
    const struct {
        int width;
        int height;
        int newWidth;
        int newHeight;
    } cases[] = {
        {8, 4, 4, 4}, {8, 4, 8, 2}, {8, 8, 2, 4}, {16, 4, 16, 4}, {6, 5, 4, 3}, {5, 1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " to " << c.newWidth
                                        << "x" << c.newHeight);
        std::vector<uint8_t> pixels = CoordinateImage(c.width, c.height);
        ShrinkPixels(pixels.data(), c.width, c.height, c.newWidth, c.newHeight);
        for (int y = 0; y < c.newHeight; ++y) {
            for (int x = 0; x < c.newWidth; ++x) {
                const size_t at = (static_cast<size_t>(y) * c.newWidth + x) * 4;
                ASSERT_EQ(x * c.width / c.newWidth, pixels[at]) << "x " << x << " y " << y;
                ASSERT_EQ(y * c.height / c.newHeight, pixels[at + 1]) << "x " << x << " y " << y;
                ASSERT_EQ(9, pixels[at + 2]);
            }
        }
    }
}

} // namespace
