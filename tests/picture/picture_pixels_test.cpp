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
    // The source columns and rows that survive, worked out by hand: the first
    // of each group of width / newWidth (or height / newHeight), rounded down.
    const struct {
        int width;
        int height;
        std::vector<int> columns;
        std::vector<int> rows;
    } cases[] = {
        {8, 4, {0, 2, 4, 6}, {0, 1, 2, 3}},
        {8, 4, {0, 1, 2, 3, 4, 5, 6, 7}, {0, 2}},
        {8, 8, {0, 4}, {0, 2, 4, 6}},
        {16, 4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {0, 1, 2, 3}},
        {6, 5, {0, 1, 3, 4}, {0, 1, 3}},
        {7, 5, {0, 2, 4}, {0, 2}},
        {5, 1, {0}, {0}},
    };
    for (const auto& c : cases) {
        const int newWidth = static_cast<int>(c.columns.size());
        const int newHeight = static_cast<int>(c.rows.size());
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " to " << newWidth << "x" << newHeight);
        std::vector<uint8_t> pixels = CoordinateImage(c.width, c.height);
        ShrinkPixels(pixels.data(), c.width, c.height, newWidth, newHeight);
        for (int y = 0; y < newHeight; ++y) {
            for (int x = 0; x < newWidth; ++x) {
                const size_t at = (static_cast<size_t>(y) * newWidth + x) * 4;
                ASSERT_EQ(c.columns[x], pixels[at]) << "x " << x << " y " << y;
                ASSERT_EQ(c.rows[y], pixels[at + 1]) << "x " << x << " y " << y;
                ASSERT_EQ(9, pixels[at + 2]);
            }
        }
    }
}

} // namespace
