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
