#include <gtest/gtest.h>

#include "water/picture_fit.h"

namespace {

TEST(PictureFit, CloseShapesFillCroppedEvenlyOthersShowWholeBetweenBands)
{
    struct Case {
        const char* name;
        int32_t pictureWidth, pictureHeight, monitorWidth, monitorHeight;
        PictureCrop crop;
        MonitorArea area;
        bool fills;
    };
    const Case cases[] = {
        {"4:3 photo, landscape monitor", 4000, 3000, 1920, 1080, {0, 0.125f, 1, 0.875f}, {0, 0, 1920, 1080}, true},
        {"portrait photo, landscape", 3000, 4000, 1920, 1080, {0, 0, 1, 1}, {555, 0, 1365, 1080}, false},
        {"square, landscape", 1000, 1000, 1920, 1080, {0, 0, 1, 1}, {420, 0, 1500, 1080}, false},
        {"square, 4:3 monitor", 1000, 1000, 1024, 768, {0, 0.125f, 1, 0.875f}, {0, 0, 1024, 768}, true},
        {"16:9, 4:3 monitor", 1920, 1080, 1024, 768, {0.125f, 0, 0.875f, 1}, {0, 0, 1024, 768}, true},
        {"landscape photo, portrait", 4000, 3000, 1080, 1920, {0, 0, 1, 1}, {0, 555, 1080, 1365}, false},
        {"portrait photo, portrait", 3000, 4000, 1080, 1920, {0.125f, 0, 0.875f, 1}, {0, 0, 1080, 1920}, true},
        {"square, portrait", 1000, 1000, 1080, 1920, {0, 0, 1, 1}, {0, 420, 1080, 1500}, false},
        {"panorama, landscape", 8000, 2000, 1920, 1080, {0, 0, 1, 1}, {0, 300, 1920, 780}, false},
        {"exactly 1.5 times as wide fills", 1500, 1000, 1000, 1000, {1 / 6.0f, 0, 5 / 6.0f, 1}, {0, 0, 1000, 1000}, true},
        {"just beyond 1.5 times", 1502, 1000, 1000, 1000, {0, 0, 1, 1}, {0, 167, 1000, 833}, false},
        {"the monitor's own shape", 1920, 1080, 1920, 1080, {0, 0, 1, 1}, {0, 0, 1920, 1080}, true},
        {"a picture without size", 0, 1080, 1920, 1080, {0, 0, 1, 1}, {0, 0, 1920, 1080}, true},
        {"a monitor without size", 1920, 1080, 1920, -5, {0, 0, 1, 1}, {0, 0, 1920, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PictureFit fit = FitPicture(c.pictureWidth, c.pictureHeight, c.monitorWidth, c.monitorHeight);
        EXPECT_EQ(c.fills, fit.fillsMonitor);
        EXPECT_NEAR(c.crop.left, fit.crop.left, 1e-6);
        EXPECT_NEAR(c.crop.top, fit.crop.top, 1e-6);
        EXPECT_NEAR(c.crop.right, fit.crop.right, 1e-6);
        EXPECT_NEAR(c.crop.bottom, fit.crop.bottom, 1e-6);
        EXPECT_EQ(c.area.left, fit.area.left);
        EXPECT_EQ(c.area.top, fit.area.top);
        EXPECT_EQ(c.area.right, fit.area.right);
        EXPECT_EQ(c.area.bottom, fit.area.bottom);
    }
}

// The backdrop behind the bands covers the monitor whatever the shape.
TEST(PictureFit, TheBackdropAlwaysCovers)
{
    const PictureFit tall = CoverMonitor(3000, 4000, 1920, 1080);
    EXPECT_TRUE(tall.fillsMonitor && tall.area.right == 1920 && tall.area.bottom == 1080);
    EXPECT_NEAR(0.2890625f, tall.crop.top, 1e-6);  // (1 - 0.75 x 1080 / 1920) / 2
    EXPECT_NEAR(0.7109375f, tall.crop.bottom, 1e-6);
}

}  // namespace
