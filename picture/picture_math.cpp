#include "picture/picture_math.h"

#include <cmath>
#include <cstdint>
#include <limits>

static const int kLargestPowerOfTwo = 30; // 1 << 31 overflows an int
static const int64_t kHimetricPerInch = 2540;

int NearestPowerOfTwo(int n)
{
    if (n < 2) {
        return 1;
    }
    const double exponent = std::floor(std::log(static_cast<double>(n)) / std::log(2.0) + 0.5);
    if (exponent >= kLargestPowerOfTwo) {
        return 1 << kLargestPowerOfTwo;
    }
    return 1 << static_cast<int>(exponent);
}

int HimetricToPixels(int himetric, int pixelsPerInch)
{
    const int64_t product = static_cast<int64_t>(himetric) * pixelsPerInch;
    const int64_t half = kHimetricPerInch / 2;
    const int64_t rounded = product >= 0 ? (product + half) / kHimetricPerInch
                                         : -((-product + half) / kHimetricPerInch);
    if (rounded > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (rounded < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(rounded);
}

int PictureTextureSide(int pixels, int maxTextureSide)
{
    if (pixels < 1 || maxTextureSide < 1) {
        return 0;
    }
    if (pixels > maxTextureSide) {
        return maxTextureSide;
    }
    return NearestPowerOfTwo(pixels);
}

int BitmapTextureSide(int side, int maxTextureSide)
{
    if (side < 1 || maxTextureSide < 1) {
        return 0;
    }
    if (side <= maxTextureSide) {
        return side;
    }
    int fitted = 1;
    while (fitted <= maxTextureSide / 2) {
        fitted *= 2;
    }
    return fitted;
}

PixelSize SnapshotSize(int screenWidth, int screenHeight)
{
    if (screenWidth < 1 || screenHeight < 1) {
        return PixelSize{0, 0};
    }
    return PixelSize{NearestPowerOfTwo(screenWidth), NearestPowerOfTwo(screenHeight)};
}
