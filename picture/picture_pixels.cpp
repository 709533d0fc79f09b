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
