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
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) {
        return TRUE;
    }
    auto& monitors = *reinterpret_cast<std::vector<DisplayMonitor>*>(list);
    const DisplayMonitor found{
        ScreenRect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom},
        info.szDevice};
    if (found.area.Width() <= 0 || found.area.Height() <= 0) {
        return TRUE;
    }
    if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0) {
        monitors.insert(monitors.begin(), found);
    } else {
        monitors.push_back(found);
    }
    return TRUE;
}

std::vector<DisplayMonitor> DisplayMonitors()
{
    std::vector<DisplayMonitor> monitors;
    (void)EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        monitors.push_back(
            DisplayMonitor{ScreenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, ""});
    }
    return monitors;
}
