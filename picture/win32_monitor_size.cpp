#include "picture/win32_monitor_size.h"

#include <cstdint>

#include "render/win32_monitors.h"

PixelSize LargestMonitorSize()
{
    PixelSize largest = {0, 0};
    for (const ScreenRect& monitor : MonitorAreas(DisplayMonitors())) {
        if (static_cast<int64_t>(monitor.Width()) * monitor.Height() >
            static_cast<int64_t>(largest.width) * largest.height) {
            largest = PixelSize{monitor.Width(), monitor.Height()};
        }
    }
    return largest;
}
