#pragma once

#include <cstdint>

#include "render/monitor_layout.h"

// The DPI the system gives the monitor holding the rectangle's centre (96 is
// 100 % scaling); where the system cannot tell per monitor, the screen's.
uint32_t MonitorDpi(const ScreenRect& area);
