#pragma once

#include <cstdint>

// How a picture lies on a monitor in the realistic look, seen straight down:
// a picture whose shape is close to the monitor's fills it, cropped evenly; a
// much taller or wider one (a portrait photo on a landscape monitor) shows
// whole and centred, with dark bands beside or above and below it.

// A picture of this many times the monitor's aspect ratio (or its inverse)
// still fills the monitor; beyond it, bands.
constexpr double fillAspectRatioLimit = 1.5;

// The part of the picture shown, in its texture coordinates: 0..1 across from
// its left edge and down from its top edge.
struct PictureCrop {
    float left;
    float top;
    float right;
    float bottom;
};

// Where the shown part lies on the monitor, in monitor pixels from its
// top-left corner; right and bottom one past the last pixel. Outside it are
// the bands.
struct MonitorArea {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct PictureFit {
    PictureCrop crop;
    MonitorArea area;
    bool fillsMonitor;  // no bands: the area is the whole monitor
};

// The rule above for a picture of pictureWidth x pictureHeight pixels (as it
// stands upright) on a monitor of monitorWidth x monitorHeight. A picture or
// monitor without a size (a side below 1) fills the monitor with the whole
// picture, so nothing divides by zero.
PictureFit FitPicture(int32_t pictureWidth, int32_t pictureHeight, int32_t monitorWidth, int32_t monitorHeight);

// The same picture always filling the monitor, cropped evenly: the backdrop
// of a banded picture (darkened and blurred by the OpenGL side) where the
// bands are not to be plain black.
PictureFit CoverMonitor(int32_t pictureWidth, int32_t pictureHeight, int32_t monitorWidth, int32_t monitorHeight);
