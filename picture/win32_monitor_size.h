#pragma once

#include "picture/picture_math.h"

// The size in pixels of the largest monitor (by area) of the desktop; the
// primary screen's size when the monitors cannot be listed; {0, 0} when not
// even that answers.
PixelSize LargestMonitorSize();
