#include <gtest/gtest.h>

#include <climits>

#include "picture/picture_math.h"

namespace {

struct RangeCase {
    int first;
    int last;
    int expected;
};

TEST(NearestPowerOfTwo, EveryRangeMapsToItsPower)
{
    const RangeCase cases[] = {
        {1, 1, 1},       {2, 2, 2},       {3, 5, 4},         {6, 11, 8},        {12, 22, 16},
        {23, 45, 32},    {46, 90, 64},    {91, 181, 128},    {182, 362, 256},   {363, 724, 512},
        {725, 1448, 1024}, {1449, 2896, 2048}, {2897, 5792, 4096},
    };
    for (const RangeCase& c : cases) {
        for (int n = c.first; n <= c.last; ++n) {
            ASSERT_EQ(c.expected, NearestPowerOfTwo(n)) << "n = " << n;
        }
    }
}

TEST(NearestPowerOfTwo, RoundsTheExponentAtTheGeometricMidpoint)
{
    const struct {
        int n;
        int expected;
    } cases[] = {{181, 128}, {182, 256}, {1448, 1024}, {1449, 2048}, {5793, 8192}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, NearestPowerOfTwo(c.n)) << "n = " << c.n;
    }
}

TEST(NearestPowerOfTwo, StaysWithinAnIntOutsideItsDomain)
{
    EXPECT_EQ(1, NearestPowerOfTwo(0));
    EXPECT_EQ(1, NearestPowerOfTwo(-5));
    EXPECT_EQ(1 << 30, NearestPowerOfTwo(INT_MAX));
}

TEST(HimetricToPixels, RoundsToTheNearestPixel)
{
    const struct {
        int himetric;
        int dpi;
        int expected;
    } cases[] = {
        {2646, 96, 100},   // 100.006
        {16933, 96, 640},  // 639.99: what a 640-pixel bitmap reports at 96 dpi
        {1270, 1, 1},      // exactly half a pixel rounds up
        {1269, 1, 0},
        {-1270, 1, -1},    // and away from zero below it
        {2540, 120, 120},
        {0, 96, 0},
        {INT_MAX, 96, 81164736}, // no overflow on the way
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, HimetricToPixels(c.himetric, c.dpi))
            << c.himetric << " at " << c.dpi << " dpi";
    }
}

struct SideCase {
    int pixels;
    int maxSide;
    int expected;
};

TEST(PictureTextureSide, PowerOfTwoOrTheLimit)
{
    const SideCase cases[] = {
        {100, 2048, 128},    // 2646 HIMETRIC at 96 dpi
        {640, 2048, 512},  {480, 2048, 512},
        {800, 2048, 1024}, {600, 2048, 512},
        {3000, 2048, 2048}, {2000, 2048, 2048},
        {2048, 2048, 2048}, {2049, 2048, 2048},
        {1449, 1024, 1024},
        {1, 2048, 1},
        {0, 2048, 0},       // a picture without size cannot be loaded
        {-3, 2048, 0},
        {100, 0, 0},        // no rendering context, no limit to fit in
    };
    for (const SideCase& c : cases) {
        EXPECT_EQ(c.expected, PictureTextureSide(c.pixels, c.maxSide))
            << c.pixels << " px, max " << c.maxSide;
    }
}

TEST(BitmapTextureSide, OwnSizeUnlessItExceedsTheLimit)
{
    const SideCase cases[] = {
        {1024, 2048, 1024}, {2048, 2048, 2048},
        {100, 2048, 100},     // not rounded: the bitmap goes up at its own size
        {4096, 2048, 2048},   // a 3840-pixel screen's snapshot on a 2048 context
        {4096, 16384, 4096},
        {32768, 16384, 16384},
        {5000, 4096, 4096},
        {4096, 3000, 2048},   // a limit that is no power of two
        {0, 2048, 0},
        {1024, 0, 0},
    };
    for (const SideCase& c : cases) {
        EXPECT_EQ(c.expected, BitmapTextureSide(c.pixels, c.maxSide))
            << c.pixels << " px, max " << c.maxSide;
    }
    // Monitor-sized snapshots on a context without textures of any size.
    const SideCase powerOfTwoOnly[] = {
        {768, 2048, 512}, {1080, 2048, 1024}, {1024, 2048, 1024}, {1920, 1024, 1024}, {1, 2048, 1}, {3, 2048, 2},
    };
    for (const SideCase& c : powerOfTwoOnly) {
        EXPECT_EQ(c.expected, BitmapTextureSide(c.pixels, c.maxSide, true))
            << c.pixels << " px, max " << c.maxSide;
    }
}

TEST(SnapshotSize, CommonScreens)
{
    const struct {
        int screenWidth;
        int screenHeight;
        int width;
        int height;
    } cases[] = {
        {640, 480, 512, 512},      {800, 600, 1024, 512},     {1024, 768, 1024, 1024},
        {1280, 720, 1024, 512},    {1280, 1024, 1024, 1024},  {1366, 768, 1024, 1024},
        {1440, 900, 1024, 1024},   {1600, 1200, 2048, 1024},  {1920, 1080, 2048, 1024},
        {2560, 1440, 2048, 1024},  {2560, 1600, 2048, 2048},  {3840, 2160, 4096, 2048},
        {1448, 1449, 1024, 2048},
    };
    for (const auto& c : cases) {
        const PixelSize size = SnapshotSize(c.screenWidth, c.screenHeight);
        EXPECT_EQ(c.width, size.width) << c.screenWidth << " x " << c.screenHeight;
        EXPECT_EQ(c.height, size.height) << c.screenWidth << " x " << c.screenHeight;
    }
}

TEST(SnapshotSize, NoScreenGivesNoSnapshot)
{
    const int screens[][2] = {{0, 768}, {1024, 0}, {0, 0}, {-1, 600}};
    for (const auto& screen : screens) {
        const PixelSize size = SnapshotSize(screen[0], screen[1]);
        EXPECT_EQ(0, size.width);
        EXPECT_EQ(0, size.height);
    }
}

} // namespace

TEST(PictureTextureSize, HeldToTheLargestMonitorAndTheContext)
{
    const struct {
        PixelSize picture;
        PixelSize monitor;
        int maxSide;
        PixelSize expected;
    } cases[] = {
        {{6000, 4000}, {1920, 1080}, 8192, {2048, 1024}},
        {{6000, 4000}, {1024, 768}, 8192, {1024, 1024}},
        {{6000, 4000}, {3840, 2160}, 2048, {2048, 2048}}, // the context's limit
        {{800, 600}, {1920, 1080}, 8192, {1024, 512}},    // smaller: today's rule
        {{1449, 100}, {1920, 1080}, 8192, {2048, 128}},
        {{4000, 3000}, {0, 0}, 4096, {4096, 4096}},       // monitor unknown
        {{0, 600}, {1920, 1080}, 8192, {0, 0}},
        {{800, 600}, {1920, 1080}, 0, {0, 0}},
    };
    for (const auto& c : cases) {
        const PixelSize size = PictureTextureSize(c.picture, c.monitor, c.maxSide);
        EXPECT_EQ(c.expected.width, size.width) << c.picture.width << " x " << c.picture.height;
        EXPECT_EQ(c.expected.height, size.height) << c.picture.width << " x " << c.picture.height;
    }
}

TEST(DecodablePictureSize, RefusesEmptyAndGiantClaims)
{
    EXPECT_TRUE(DecodablePictureSize({6000, 4000}));
    EXPECT_TRUE(DecodablePictureSize({16384, 16384}));
    EXPECT_TRUE(DecodablePictureSize({1, 1 << 28}));
    EXPECT_FALSE(DecodablePictureSize({16384, 16385}));
    EXPECT_FALSE(DecodablePictureSize({100000, 100000}));
    EXPECT_FALSE(DecodablePictureSize({0, 100}));
    EXPECT_FALSE(DecodablePictureSize({100, -1}));
}

TEST(ReducedDecodeSize, HalvesWhileBothSidesStillHoldTheWantedSize)
{
    const struct {
        PixelSize stored;
        PixelSize wanted;
        PixelSize expected;
    } cases[] = {
        {{6000, 4000}, {128, 128}, {750, 500}},    // the preview: an eighth, no further
        {{6000, 4000}, {2048, 1024}, {3000, 2000}},
        {{4096, 2048}, {2048, 1024}, {2048, 1024}}, // exactly half
        {{4095, 2047}, {2048, 1024}, {2048, 1024}}, // halves round up, as decoders do
        {{4000, 3000}, {4096, 2048}, {4000, 3000}}, // held whole: no reduction
        {{6000, 100}, {128, 64}, {6000, 100}},      // the short side decides
    };
    for (const auto& c : cases) {
        const PixelSize size = ReducedDecodeSize(c.stored, c.wanted);
        EXPECT_EQ(c.expected.width, size.width) << c.stored.width << " x " << c.stored.height;
        EXPECT_EQ(c.expected.height, size.height) << c.stored.width << " x " << c.stored.height;
    }
}

TEST(ScaledRowsPerCopy, KeepsTheSourceRowsOfAStripBounded)
{
    EXPECT_EQ(7, ScaledRowsPerCopy(4000, 112, 256, 64));  // a photo into the preview
    EXPECT_EQ(64, ScaledRowsPerCopy(4000, 1024, 256, 64)); // into a full screen
    EXPECT_EQ(1, ScaledRowsPerCopy(100000, 128, 256, 64)); // never none
    EXPECT_EQ(64, ScaledRowsPerCopy(100, 100, 256, 64));   // not scaled down
}
