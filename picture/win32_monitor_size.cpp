#include "picture/win32_monitor_size.h"

#include <windows.h>

#include <cstdint>

static BOOL CALLBACK KeepLargerMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    PixelSize* largest = reinterpret_cast<PixelSize*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        const PixelSize size = {info.rcMonitor.right - info.rcMonitor.left,
                                info.rcMonitor.bottom - info.rcMonitor.top};
        if (static_cast<int64_t>(size.width) * size.height >
            static_cast<int64_t>(largest->width) * largest->height) {
            *largest = size;
        }
    }
    return TRUE;
}

PixelSize LargestMonitorSize()
{
    PixelSize largest = {0, 0};
    (void)EnumDisplayMonitors(nullptr, nullptr, KeepLargerMonitor,
                              reinterpret_cast<LPARAM>(&largest));
    if (largest.width < 1 || largest.height < 1) {
        largest = PixelSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return largest;
}
