#pragma once

#include <cstdint>

#include "overlay/overlay_placement.h"

// Where a picture's caption stands on its monitor (or a preview), as the
// top-left corner of its box of `boxWidth` x `boxHeight` pixels: in the lower
// left corner, its foot below the inner area where the clock moves, a little away
// from where the caption of the picture before stood, so that its letters
// never burn into the screen. `pictureNumber` counts the monitor's pictures;
// nine places come round in turn, never the same twice in a row while the
// monitor has room to move the box. A box larger than the monitor starts at
// its top-left corner.
TextPlace CaptionPlace(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight, uint32_t pictureNumber);
