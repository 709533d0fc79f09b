#include <gtest/gtest.h>

#include "render/monitor_layout.h"

namespace {

struct LayoutCase {
    const char* name;
    ScreenRect output;
    ScreenRect monitor;
    Viewport viewport;
    PixelSize snapshotSize;
};

TEST(MonitorLayoutTest, EachMonitorGetsItsOwnViewportAndSnapshotSize)
{
    const LayoutCase cases[] = {
        {"one screen: the whole output", {0, 0, 1024, 768}, {0, 0, 1024, 768}, {0, 0, 1024, 768}, {1024, 1024}},
        {"primary beside a lower one", {0, 0, 1440, 600}, {0, 0, 800, 600}, {0, 0, 800, 600}, {1024, 512}},
        {"the lower one, top-aligned", {0, 0, 1440, 600}, {800, 0, 1440, 480}, {800, 120, 640, 480}, {512, 512}},
        {"left of the primary", {-1280, 0, 1920, 1080}, {-1280, 56, 0, 1080}, {0, 0, 1280, 1024}, {1024, 1024}},
        {"primary right of it", {-1280, 0, 1920, 1080}, {0, 0, 1920, 1080}, {1280, 0, 1920, 1080}, {2048, 1024}},
        {"above the primary", {0, -900, 1600, 1200}, {0, -900, 1440, 0}, {0, 1200, 1440, 900}, {1024, 1024}},
        {"primary below it", {0, -900, 1600, 1200}, {0, 0, 1600, 1200}, {0, 0, 1600, 1200}, {2048, 1024}},
    };
    for (const LayoutCase& c : cases) {
        const std::vector<MonitorPart> parts = LayOutMonitors(c.output, {c.monitor});
        ASSERT_EQ(parts.size(), 1u) << c.name;
        const MonitorPart& part = parts[0];
        EXPECT_EQ(part.viewport.x, c.viewport.x) << c.name;
        EXPECT_EQ(part.viewport.y, c.viewport.y) << c.name;
        EXPECT_EQ(part.viewport.width, c.viewport.width) << c.name;
        EXPECT_EQ(part.viewport.height, c.viewport.height) << c.name;
        EXPECT_EQ(part.snapshotSize.width, c.snapshotSize.width) << c.name;
        EXPECT_EQ(part.snapshotSize.height, c.snapshotSize.height) << c.name;
        EXPECT_EQ(part.piece.left, c.monitor.left) << c.name;
        EXPECT_EQ(part.piece.bottom, c.monitor.bottom) << c.name;
    }
}

TEST(MonitorLayoutTest, KeepsTheMonitorsOrder)
{
    const std::vector<MonitorPart> parts = LayOutMonitors({0, 0, 1440, 600}, {{800, 0, 1440, 480}, {0, 0, 800, 600}});
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].viewport.x, 800);
    EXPECT_EQ(parts[1].viewport.x, 0);
}

}  // namespace
