#pragma once

#include <vector>

#include "render/monitor_layout.h"

// The smallest rectangle holding every monitor: what the full-screen output
// covers.
ScreenRect VirtualScreen();

// Every monitor of the desktop, the primary first; the primary screen alone
// when the system lists none.
std::vector<DisplayMonitor> DisplayMonitors();
