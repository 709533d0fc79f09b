#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How the full-screen saver shares itself out between monitors: one output
// window over the whole virtual screen, and per monitor one viewport showing
// that monitor's own piece of the desktop snapshot.

// A rectangle of the virtual screen in pixels, right and bottom one past the
// last pixel. The primary monitor's top-left corner is (0, 0), so a monitor to
// its left or above it has negative coordinates.
struct ScreenRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};

// An OpenGL viewport in a window's client area: x from its left edge, y from
// its bottom edge.
struct Viewport {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// A monitor of the desktop: where it lies, and the name the system gives its
// display device, which stays the same while the monitor stays connected,
// whatever happens to its size or place.
struct DisplayMonitor {
    ScreenRect area;
    std::string device;
};

struct MonitorPart {
    ScreenRect piece;   // the part of the desktop it shows: the monitor itself
    Viewport viewport;  // where it is drawn in the output window
};

// Every monitor's part, in the monitors' order, for an output window covering
// `output`; all rectangles in virtual-screen coordinates. Screens count rows
// downwards from the top, OpenGL upwards from the bottom.
std::vector<MonitorPart> LayOutMonitors(const ScreenRect& output, const std::vector<ScreenRect>& monitors);

std::vector<ScreenRect> MonitorAreas(const std::vector<DisplayMonitor>& monitors);
