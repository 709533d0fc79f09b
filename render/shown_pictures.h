#pragma once

#include <cstdint>
#include <string>

#include "geometry/pixel_size.h"

// What one monitor shows in a frame, as plain data: whoever has the pictures
// (the slideshow, a still picture, the desktop) fills it, and the monitor's
// surface, whatever its look, draws from it. Texture names are OpenGL's, of
// the output's rendering context; 0 is none.
struct ShownPictures {
    uint32_t texture = 0;
    // The picture's own size, upright, for a look that fits it to its
    // monitor; {0, 0} where it is not known.
    PixelSize size = {0, 0};
    // The picture taking the place of `texture`, `fade` (0 to 1) of the way
    // there; 0 for none.
    uint32_t incomingTexture = 0;
    PixelSize incomingSize = {0, 0};
    float fade = 0.0f;
    // The pictures' captions (UTF-8 lines), "" for none: the desktop, the
    // built-in picture and black have none. `pictureNumber` counts the
    // monitor's pictures, the incoming one being pictureNumber + 1, so that
    // each caption can stand a little apart from the one before.
    std::string caption;
    std::string incomingCaption;
    uint32_t pictureNumber = 0;
};
