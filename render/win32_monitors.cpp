#include "render/win32_monitors.h"

#include <windows.h>

ScreenRect VirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return ScreenRect{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) {
        return TRUE;
    }
    auto& monitors = *reinterpret_cast<std::vector<ScreenRect>*>(list);
    const ScreenRect area{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    if (area.Width() <= 0 || area.Height() <= 0) {
        return TRUE;
    }
    if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0) {
        monitors.insert(monitors.begin(), area);
    } else {
        monitors.push_back(area);
    }
    return TRUE;
}

std::vector<ScreenRect> DisplayMonitors()
{
    std::vector<ScreenRect> monitors;
    (void)EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        monitors.push_back(ScreenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    }
    return monitors;
}
