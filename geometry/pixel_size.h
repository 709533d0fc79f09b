#pragma once

// A picture's or a texture's size in pixels.
struct PixelSize {
    int width;
    int height;
};
