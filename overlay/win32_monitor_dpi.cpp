#include "overlay/win32_monitor_dpi.h"

#include <windows.h>

namespace {

// GetDpiForMonitor's MDT_EFFECTIVE_DPI.
constexpr int effectiveDpi = 0;
using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// Looked up once: shcore.dll has it from Windows 8.1 on.
DpiForMonitor DpiForMonitorFunction()
{
    static const DpiForMonitor function = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore != nullptr ? reinterpret_cast<DpiForMonitor>(
                                       reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                                 : nullptr;
    }();
    return function;
}

}  // namespace

uint32_t MonitorDpi(const ScreenRect& area)
{
    const POINT centre{area.left + area.Width() / 2, area.top + area.Height() / 2};
    UINT dpiX = 0;
    UINT dpiY = 0;
    const DpiForMonitor dpiForMonitor = DpiForMonitorFunction();
    if (dpiForMonitor != nullptr &&
        SUCCEEDED(dpiForMonitor(MonitorFromPoint(centre, MONITOR_DEFAULTTOPRIMARY), effectiveDpi, &dpiX, &dpiY)) &&
        dpiY != 0) {
        return dpiY;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) {
        (void)ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<uint32_t>(dpi) : 96;
}
