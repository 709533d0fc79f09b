#include <gtest/gtest.h>

#include <array>

#include "render/monitor_layout.h"

namespace {

TEST(MonitorLayoutTest, EachMonitorGetsItsOwnViewportInItsOrder)
{
    struct {
        ScreenRect output;
        std::vector<ScreenRect> monitors;
        std::vector<std::array<int32_t, 4>> expected;  // viewport x, y, width, height
    } const cases[] = {
        {{0, 0, 1024, 768}, {{0, 0, 1024, 768}}, {{0, 0, 1024, 768}}},
        // Top edges aligned: the smaller monitor's viewport starts 120 rows up.
        {{0, 0, 1440, 600}, {{800, 0, 1440, 480}, {0, 0, 800, 600}},
         {{800, 120, 640, 480}, {0, 0, 800, 600}}},
        // A monitor left of the primary one, lower edges aligned.
        {{-1280, 0, 1920, 1080}, {{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}},
         {{1280, 0, 1920, 1080}, {0, 0, 1280, 1024}}},
        // A monitor above the primary one.
        {{0, -900, 1600, 1200}, {{0, 0, 1600, 1200}, {0, -900, 1440, 0}},
         {{0, 0, 1600, 1200}, {0, 1200, 1440, 900}}},
    };
    for (const auto& c : cases) {
        const std::vector<MonitorPart> parts = LayOutMonitors(c.output, c.monitors);
        ASSERT_EQ(parts.size(), c.expected.size());
        for (size_t i = 0; i < parts.size(); ++i) {
            const MonitorPart& p = parts[i];
            EXPECT_EQ((std::array<int32_t, 4>{p.viewport.x, p.viewport.y, p.viewport.width, p.viewport.height}),
                      c.expected[i])
                << "monitor " << i << " left " << c.monitors[i].left;
            EXPECT_EQ(p.piece.top, c.monitors[i].top);
        }
    }
}

}  // namespace
