#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "water/water_light.h"

namespace {

// Channel 0..3 (R, G, B, A) of cell (i, j).
int TexelAt(const WaterLight& light, int32_t i, int32_t j, int channel)
{
    return light.Texels()[static_cast<size_t>(i + j * light.Columns()) * 4 + static_cast<size_t>(channel)];
}

TEST(WaterLight, StillWaterShowsEveryPixelAsItIs)
{
    struct Case {
        int32_t columns, rows, mode;
        double seconds;
    };
    // Every style at its first frame, and a style that never moves later on.
    const Case cases[] = {{48, 27, Rings, 0.0}, {48, 27, Crossed, 0.0}, {48, 27, Rain, 0.0},
                          {1, 1, Rings, 0.0},   {30, 40, 3, 5.0}};
    for (const Case& c : cases) {
        WaveField field;
        field.Init(c.columns, c.rows, c.mode, 100);
        field.AdvanceTo(c.seconds);
        WaterLight light;
        light.Compute(field);
        ASSERT_EQ(static_cast<size_t>(c.columns * c.rows * 4), light.Texels().size());
        for (size_t k = 0; k < light.Texels().size(); k += 4) {
            const uint8_t* t = &light.Texels()[k];
            ASSERT_TRUE(t[0] == 128 && t[1] == 128 && t[2] == 128 && t[3] == 0) << "mode " << c.mode << " texel " << k / 4;
        }
    }
}

TEST(WaterLight, CausticsMoveLightAboutButKeepTheAverage)
{
    for (const int32_t mode : {Rings, Crossed, Rain}) {
        WaveField field;
        field.Init(120, 68, mode, 100);
        field.dropsPerSecond = 30.0;
        for (int32_t frame = 0; frame <= 180; ++frame) {
            field.AdvanceTo(frame / 60.0);
        }
        WaterLight light;
        light.Compute(field);
        double sum = 0.0;
        int darkest = 255, brightest = 0, displaced = 0, reflected = 0;
        for (size_t k = 0; k < light.Texels().size(); k += 4) {
            const uint8_t* t = &light.Texels()[k];
            sum += t[2];
            darkest = std::min<int>(darkest, t[2]);
            brightest = std::max<int>(brightest, t[2]);
            displaced = std::max({displaced, std::abs(t[0] - 128), std::abs(t[1] - 128)});
            reflected = std::max<int>(reflected, t[3]);
        }
        EXPECT_NEAR(128.0, sum / (light.Columns() * light.Rows()), 0.5) << mode;
        EXPECT_GT(brightest - darkest, 40) << mode;
        EXPECT_GT(displaced, 20) << mode;
        EXPECT_GT(reflected, 60) << mode;
    }
}

// A drop's dimple, seen through the water: around it the surface rises
// outwards, so each pixel looks further out (the dimple magnifies what lies
// beneath, as a hollow lens does), and its hollow spreads the light, dimming
// the picture under it.
TEST(WaterLight, ADimpleMagnifiesAndDims)
{
    WaveField field;
    field.Init(64, 48, Rain, 100);
    field.AddDrop(32.5f / 64.0f, 24.5f / 48.0f, 1.0f);
    WaterLight light;
    light.Compute(field);
    EXPECT_GT(TexelAt(light, 34, 24, 0), 128);
    EXPECT_LT(TexelAt(light, 30, 24, 0), 128);
    EXPECT_GT(TexelAt(light, 32, 26, 1), 128);
    EXPECT_LT(TexelAt(light, 32, 22, 1), 128);
    EXPECT_EQ(128, TexelAt(light, 34, 24, 1));
    EXPECT_LT(TexelAt(light, 32, 24, 2), 128);
}

}  // namespace
