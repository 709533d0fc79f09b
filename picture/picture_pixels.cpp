#include "picture/picture_pixels.h"

#include <cstring>

void BgrxToRgba(uint8_t* pixels, size_t pixelCount)
{
    for (size_t i = 0; i < pixelCount; ++i) {
        uint8_t* pixel = pixels + i * 4;
        const uint8_t blue = pixel[0];
        pixel[0] = pixel[2];
        pixel[2] = blue;
        const bool black = pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0;
        pixel[3] = black ? 0 : 255;
    }
}

void ShrinkPixels(uint8_t* pixels, int width, int height, int newWidth, int newHeight)
{
    // Every source index is at or after its destination index, and the
    // destinations are written in increasing order, so no pixel is overwritten
    // before it has been read.
    for (int y = 0; y < newHeight; ++y) {
        const int64_t sourceY = static_cast<int64_t>(y) * height / newHeight;
        for (int x = 0; x < newWidth; ++x) {
            const int64_t sourceX = static_cast<int64_t>(x) * width / newWidth;
            const size_t source = static_cast<size_t>(sourceY * width + sourceX) * 4;
            const size_t destination = (static_cast<size_t>(y) * newWidth + x) * 4;
            std::memmove(pixels + destination, pixels + source, 4);
        }
    }
}

bool OrientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// Where the upright picture's pixel (x, y), counted from its top-left corner,
// lies in the stored picture.
static void StoredPosition(int orientation, int width, int height, int x, int y, int& storedX,
                           int& storedY)
{
    switch (orientation) {
    case 2:
        storedX = width - 1 - x;
        storedY = y;
        break;
    case 3:
        storedX = width - 1 - x;
        storedY = height - 1 - y;
        break;
    case 4:
        storedX = x;
        storedY = height - 1 - y;
        break;
    case 5:
        storedX = y;
        storedY = x;
        break;
    case 6:
        storedX = y;
        storedY = height - 1 - x;
        break;
    case 7:
        storedX = width - 1 - y;
        storedY = height - 1 - x;
        break;
    case 8:
        storedX = width - 1 - y;
        storedY = x;
        break;
    default:
        storedX = x;
        storedY = y;
        break;
    }
}

void OrientPixelsBottomUp(const uint8_t* source, int width, int height, int orientation,
                          uint8_t* destination)
{
    const bool swapped = OrientationSwapsSides(orientation);
    const int uprightWidth = swapped ? height : width;
    const int uprightHeight = swapped ? width : height;
    for (int y = 0; y < uprightHeight; ++y) {
        uint8_t* row = destination + static_cast<size_t>(uprightHeight - 1 - y) * uprightWidth * 4;
        for (int x = 0; x < uprightWidth; ++x) {
            int storedX = 0;
            int storedY = 0;
            StoredPosition(orientation, width, height, x, y, storedX, storedY);
            std::memcpy(row + static_cast<size_t>(x) * 4,
                        source + (static_cast<size_t>(storedY) * width + storedX) * 4, 4);
        }
    }
}
