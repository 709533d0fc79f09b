#include "picture/picture_math.h"

#include <cmath>
#include <cstdint>
#include <limits>

static const int kLargestPowerOfTwo = 30; // 1 << 31 overflows an int
static const int64_t kHimetricPerInch = 2540;
static const int64_t kLargestDecodedPixels = int64_t(1) << 28;

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

int BitmapTextureSide(int side, int maxTextureSide, bool powerOfTwoOnly)
{
    if (side < 1 || maxTextureSide < 1) {
        return 0;
    }
    const bool powerOfTwo = (side & (side - 1)) == 0;
    if (powerOfTwoOnly && !powerOfTwo && side - 1 < maxTextureSide) {
        maxTextureSide = side - 1;
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

static int MonitorHeldSide(int pixels, int monitorSide, int maxTextureSide)
{
    const int side = PictureTextureSide(pixels, maxTextureSide);
    if (monitorSide < 1) {
        return side;
    }
    const int monitorLimit = NearestPowerOfTwo(monitorSide);
    return side < monitorLimit ? side : monitorLimit;
}

PixelSize PictureTextureSize(PixelSize picture, PixelSize largestMonitor, int maxTextureSide)
{
    const int width = MonitorHeldSide(picture.width, largestMonitor.width, maxTextureSide);
    const int height = MonitorHeldSide(picture.height, largestMonitor.height, maxTextureSide);
    if (width == 0 || height == 0) {
        return PixelSize{0, 0};
    }
    return PixelSize{width, height};
}

bool DecodablePictureSize(PixelSize picture)
{
    return picture.width >= 1 && picture.height >= 1 &&
           static_cast<int64_t>(picture.width) * picture.height <= kLargestDecodedPixels;
}

PixelSize SnapshotSize(int screenWidth, int screenHeight)
{
    if (screenWidth < 1 || screenHeight < 1) {
        return PixelSize{0, 0};
    }
    return PixelSize{NearestPowerOfTwo(screenWidth), NearestPowerOfTwo(screenHeight)};
}

PixelSize ReducedDecodeSize(PixelSize stored, PixelSize wanted)
{
    PixelSize reduced = stored;
    for (int divisor = 2; divisor <= 8; divisor *= 2) {
        // Decoders round a reduced side up.
        const PixelSize next = {(stored.width + divisor - 1) / divisor, (stored.height + divisor - 1) / divisor};
        if (next.width < wanted.width || next.height < wanted.height) {
            break;
        }
        reduced = next;
    }
    return reduced;
}

int ScaledRowsPerCopy(int sourceHeight, int scaledHeight, int sourceRows, int scaledRows)
{
    if (sourceHeight <= scaledHeight) {
        return scaledRows;
    }
    const int64_t rows = static_cast<int64_t>(sourceRows) * scaledHeight / sourceHeight;
    return rows < 1 ? 1 : (rows > scaledRows ? scaledRows : static_cast<int>(rows));
}
