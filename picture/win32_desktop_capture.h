#pragma once

#include <windows.h>

// Copies the primary screen, scaled to power-of-two sides, into a new bitmap
// that belongs to the caller. Null when the bitmap cannot be created.
HBITMAP CaptureDesktop();
