#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "water/water_composer.h"

namespace {

// 40 x 50 pixels under a light map of 10 x 10 cells: a full-scale
// displacement (2 % of 50) is one pixel.
constexpr int32_t kWidth = 40;
constexpr int32_t kHeight = 50;
constexpr int32_t kCells = 10;

// Every pixel differs from its neighbours, so that any shift shows.
MonitorPixels Pattern()
{
    MonitorPixels picture;
    picture.width = kWidth;
    picture.height = kHeight;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            picture.bgra.insert(picture.bgra.end(), {static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 5),
                                                     static_cast<uint8_t>((x * 7 + y * 13) % 200), 255});
        }
    }
    return picture;
}

std::vector<uint8_t> Composed(const std::vector<uint8_t>& light, const MonitorPixels& shown,
                              const MonitorPixels* incoming = nullptr, float fade = 0.0f)
{
    WaterComposer composer;
    composer.Init(kWidth, kHeight, kCells, kCells);
    std::vector<uint8_t> frame(kWidth * kHeight * 4);
    // In two strips, as the surface uploads them.
    composer.Compose(LightMapView{light.data(), kCells, kCells}, shown, incoming, fade, 0, 20, frame.data());
    composer.Compose(LightMapView{light.data(), kCells, kCells}, shown, incoming, fade, 20, kHeight - 20,
                     &frame[20 * kWidth * 4]);
    return frame;
}

std::vector<uint8_t> FlatLight(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    std::vector<uint8_t> light;
    for (int i = 0; i < kCells * kCells; ++i) {
        light.insert(light.end(), {r, g, b, a});
    }
    return light;
}

TEST(WaterComposerTest, ShowsThePictureWhereTheLightMapSays)
{
    struct Case {
        const char* what;
        uint8_t r, g, b, a;  // every texel of the light map
        int dx, dy;          // where a pixel's picture comes from, relative to it (y up)
        int scaledBy128;     // the picture's bytes times this / 128
        int lift;            // then added (at most 255)
    };
    const Case cases[] = {
        {"still water, pixel for pixel", 128, 128, 128, 0, 0, 0, 128, 0},
        {"full displacement right", 255, 128, 128, 0, 1, 0, 128, 0},
        {"full displacement down", 128, 255, 128, 0, 0, -1, 128, 0},
        {"full displacement left and up", 1, 1, 128, 0, -1, 1, 128, 0},
        {"a bright caustic band", 128, 128, 192, 0, 0, 0, 192, 0},
        {"a dark one", 128, 128, 32, 0, 0, 0, 32, 0},
        {"a white glint", 128, 128, 128, 255, 0, 0, 128, 255},
    };
    const MonitorPixels picture = Pattern();
    for (const Case& c : cases) {
        const std::vector<uint8_t> frame = Composed(FlatLight(c.r, c.g, c.b, c.a), picture);
        int wrong = 0;
        // Away from the edges, where the displaced point is held inside.
        for (int y = 1; y < kHeight - 1; ++y) {
            for (int x = 1; x < kWidth - 1; ++x) {
                const uint8_t* got = &frame[(x + y * kWidth) * 4];
                const uint8_t* want = &picture.bgra[(x + c.dx + (y + c.dy) * kWidth) * 4];
                for (int k = 0; k < 3; ++k) {
                    const int lit = (want[k] * c.scaledBy128 + 64) / 128 + c.lift;
                    wrong += got[k] != (lit > 255 ? 255 : lit) ? 1 : 0;
                }
                wrong += got[3] != 255 ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0) << c.what;
    }
}

TEST(WaterComposerTest, CrossfadesAndGivesBlackForWhatDoesNotFit)
{
    MonitorPixels grey{std::vector<uint8_t>(kWidth * kHeight * 4, 100), kWidth, kHeight};
    MonitorPixels light{std::vector<uint8_t>(kWidth * kHeight * 4, 200), kWidth, kHeight};
    const std::vector<uint8_t> still = FlatLight(128, 128, 128, 0);
    EXPECT_EQ(Composed(still, grey, &light, 0.25f)[0], 125);
    MonitorPixels small{std::vector<uint8_t>(4 * 4 * 4, 100), 4, 4};
    EXPECT_EQ(Composed(still, small)[100], 0);
    // A map of another size than the composer's.
    WaterComposer composer;
    composer.Init(kWidth, kHeight, kCells, kCells);
    std::vector<uint8_t> frame(kWidth * kHeight * 4, 7);
    composer.Compose(LightMapView{still.data(), kCells, 1}, grey, nullptr, 0.0f, 0, kHeight, frame.data());
    EXPECT_EQ(frame[100], 0);
}

TEST(PlacePictureTest, ReadsTheNearestTexelInsideTheAreaAndIsBlackOutside)
{
    const MonitorPixels texture = Pattern();
    MonitorPixels placed;
    PlacePicture(texture.bgra.data(), kWidth, kHeight, inPlace, kWidth, kHeight, placed);
    EXPECT_EQ(placed.bgra, texture.bgra);
    // A picture of half the texture's size shown over the monitor's left
    // half: each texel covers one pixel, the right half is dark.
    PicturePlace leftHalf = inPlace;
    leftHalf.right = 0.5f;
    leftHalf.scaleU = 1.0f;
    PlacePicture(texture.bgra.data(), kWidth, kHeight, leftHalf, kWidth, kHeight, placed);
    EXPECT_EQ(placed.bgra[(5 + 7 * kWidth) * 4], texture.bgra[(5 + 7 * kWidth) * 4 + 0]);
    EXPECT_EQ(placed.bgra[(30 + 7 * kWidth) * 4 + 3], 0);
    // A texture twice the monitor's size: every other texel.
    MonitorPixels half;
    PlacePicture(texture.bgra.data(), kWidth, kHeight, inPlace, kWidth / 2, kHeight / 2, half);
    EXPECT_EQ(half.bgra[(3 + 4 * (kWidth / 2)) * 4 + 1], texture.bgra[(7 + 9 * kWidth) * 4 + 1]);
}

TEST(DrawingTrialTest, TimesEachWayAfterItsFirstFramesAndKeepsTheCheaper)
{
    struct Case {
        const char* what;
        uint64_t pass, composed;  // CPU microseconds a timed frame takes
        WaterDrawing chosen;
    };
    const Case cases[] = {
        {"a graphics card's pass costs next to nothing", 50, 4000, WaterDrawing::Pass},
        {"a software renderer's pass costs more", 20000, 5000, WaterDrawing::Composed},
        {"a tie keeps the pass", 3000, 3000, WaterDrawing::Pass},
    };
    for (const Case& c : cases) {
        DrawingTrial trial;
        int passFrames = 0;
        while (!trial.Decided()) {
            const bool pass = trial.Next() == WaterDrawing::Pass;
            passFrames += pass ? 1 : 0;
            // An untimed frame's cost (a shader compiled) must not count.
            trial.FrameTook(trial.Timing() ? (pass ? c.pass : c.composed) : 1000000);
        }
        EXPECT_EQ(passFrames, DrawingTrial::framesSkipped + DrawingTrial::framesTimed) << c.what;
        EXPECT_EQ(trial.Next(), c.chosen) << c.what;
        EXPECT_FALSE(trial.Timing()) << c.what;
    }
}

}  // namespace
