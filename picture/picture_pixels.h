#pragma once

#include <cstddef>
#include <cstdint>

// In-place rewrites of 4-byte pixels, done once per picture at load time.

// Turns blue, green, red, unused into red, green, blue, alpha: alpha 0 for a
// pure black pixel, 255 for every other.
void BgrxToRgba(uint8_t* pixels, size_t pixelCount);

// Shrinks a width x height image of 4-byte pixels to newWidth x newHeight in
// the same buffer, keeping rows in their order. Surplus rows and columns are
// dropped, not blended, as a COLORONCOLOR stretch does. The new sides must not
// exceed the old ones.
void ShrinkPixels(uint8_t* pixels, int width, int height, int newWidth, int newHeight);

// Turns a picture of 4-byte pixels, stored `width` x `height` with its rows
// top-down as a decoder delivers them, upright as its EXIF orientation (1 to
// 8, see exif_orientation.h; any other value counts as 1) says, and writes it
// into `destination` with its rows bottom-up, as the textures want them. The
// upright picture is height x width for orientations 5 to 8. `destination`
// holds width x height pixels and does not overlap `source`.
void OrientPixelsBottomUp(const uint8_t* source, int width, int height, int orientation,
                          uint8_t* destination);

// True for orientations 5 to 8, whose upright picture is height x width.
bool OrientationSwapsSides(int orientation);
