#include <gtest/gtest.h>

#include "water/realistic_water.h"

namespace {

// Where the shader samples for a monitor point (u, v from the bottom-left).
float TextureS(const PicturePlace& p, float u) { return u * p.scaleU + p.offsetU; }
float TextureT(const PicturePlace& p, float v) { return v * p.scaleV + p.offsetV; }

TEST(PlaceOfTest, MapsTheFitsAreaOntoItsCropUpright)
{
    struct Case {
        const char* what;
        PictureFit fit;
        // Expected: the area in 0..1 from the bottom-left, and the texture
        // coordinates (t = 0 the picture's bottom) at its corners.
        float left, bottom, right, top;
        float sLeft, sRight, tBottom, tTop;
    };
    const Case cases[] = {
        {"fills as it is", {{0, 0, 1, 1}, {0, 0, 1000, 500}, true}, 0, 0, 1, 1, 0, 1, 0, 1},
        {"wider, cropped at the sides", {{0.125f, 0, 0.875f, 1}, {0, 0, 1000, 500}, true}, 0, 0, 1, 1,
         0.125f, 0.875f, 0, 1},
        {"taller, cropped above and below", {{0, 0.1f, 1, 0.7f}, {0, 0, 1000, 500}, true}, 0, 0, 1, 1, 0, 1,
         0.3f, 0.9f},
        {"portrait, bands beside", {{0, 0, 1, 1}, {250, 0, 750, 500}, false}, 0.25f, 0, 0.75f, 1, 0, 1, 0, 1},
        {"panorama, bands above and below", {{0, 0, 1, 1}, {0, 100, 1000, 300}, false}, 0, 0.4f, 1, 0.8f, 0, 1,
         0, 1},
    };
    for (const Case& c : cases) {
        const PicturePlace p = PlaceOf(c.fit, 1000, 500);
        EXPECT_NEAR(p.left, c.left, 1e-6) << c.what;
        EXPECT_NEAR(p.bottom, c.bottom, 1e-6) << c.what;
        EXPECT_NEAR(p.right, c.right, 1e-6) << c.what;
        EXPECT_NEAR(p.top, c.top, 1e-6) << c.what;
        EXPECT_NEAR(TextureS(p, p.left), c.sLeft, 1e-6) << c.what;
        EXPECT_NEAR(TextureS(p, p.right), c.sRight, 1e-6) << c.what;
        EXPECT_NEAR(TextureT(p, p.bottom), c.tBottom, 1e-6) << c.what;
        EXPECT_NEAR(TextureT(p, p.top), c.tTop, 1e-6) << c.what;
    }
}

TEST(PlaceOfTest, NoSizeOrNoAreaShowsThePictureInPlace)
{
    const PictureFit fit{{0, 0, 1, 1}, {0, 0, 0, 0}, false};
    for (const PicturePlace& p : {PlaceOf(fit, 1000, 500), PlaceOf(fit, 0, 500)}) {
        EXPECT_EQ(p.scaleU, 1.0f);
        EXPECT_EQ(p.offsetV, 0.0f);
        EXPECT_EQ(p.right, 1.0f);
    }
}

}  // namespace
