#include "render/monitor_layout.h"

std::vector<MonitorPart> LayOutMonitors(const ScreenRect& output, const std::vector<ScreenRect>& monitors)
{
    std::vector<MonitorPart> parts;
    parts.reserve(monitors.size());
    for (const ScreenRect& monitor : monitors) {
        const Viewport viewport{monitor.left - output.left, output.bottom - monitor.bottom, monitor.Width(),
                                monitor.Height()};
        parts.push_back(MonitorPart{monitor, viewport});
    }
    return parts;
}

std::vector<ScreenRect> MonitorAreas(const std::vector<DisplayMonitor>& monitors)
{
    std::vector<ScreenRect> areas;
    areas.reserve(monitors.size());
    for (const DisplayMonitor& monitor : monitors) {
        areas.push_back(monitor.area);
    }
    return areas;
}
