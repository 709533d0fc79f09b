#pragma once

#include <windows.h>

#include "picture/picture_math.h"
#include "render/monitor_layout.h"

// Copies one monitor's part of the screen (virtual-screen coordinates), scaled
// to `size` (power-of-two sides, see SnapshotSize), into a new bitmap that
// belongs to the caller. Null when the bitmap cannot be created.
HBITMAP CaptureScreenArea(const ScreenRect& area, PixelSize size);
