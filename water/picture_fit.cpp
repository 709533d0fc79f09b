#include "water/picture_fit.h"

#include <cmath>

namespace {

PictureFit WholePictureOnWholeMonitor(int32_t monitorWidth, int32_t monitorHeight)
{
    const int32_t width = monitorWidth > 0 ? monitorWidth : 0;
    const int32_t height = monitorHeight > 0 ? monitorHeight : 0;
    return PictureFit{{0.0f, 0.0f, 1.0f, 1.0f}, {0, 0, width, height}, true};
}

bool HasSize(int32_t width, int32_t height)
{
    return width >= 1 && height >= 1;
}

int32_t Rounded(double value)
{
    return static_cast<int32_t>(std::lround(value));
}

}  // namespace

PictureFit CoverMonitor(int32_t pictureWidth, int32_t pictureHeight, int32_t monitorWidth, int32_t monitorHeight)
{
    PictureFit fit = WholePictureOnWholeMonitor(monitorWidth, monitorHeight);
    if (!HasSize(pictureWidth, pictureHeight) || !HasSize(monitorWidth, monitorHeight)) {
        return fit;
    }
    // Cross products compare the two shapes without rounding.
    const double pictureSpan = static_cast<double>(pictureWidth) * monitorHeight;
    const double monitorSpan = static_cast<double>(pictureHeight) * monitorWidth;
    if (pictureSpan > monitorSpan) {
        // Wider than the monitor: the sides are cut off, evenly.
        const float cut = static_cast<float>((1.0 - monitorSpan / pictureSpan) / 2.0);
        fit.crop.left = cut;
        fit.crop.right = 1.0f - cut;
    } else if (pictureSpan < monitorSpan) {
        const float cut = static_cast<float>((1.0 - pictureSpan / monitorSpan) / 2.0);
        fit.crop.top = cut;
        fit.crop.bottom = 1.0f - cut;
    }
    return fit;
}

PictureFit FitPicture(int32_t pictureWidth, int32_t pictureHeight, int32_t monitorWidth, int32_t monitorHeight)
{
    if (!HasSize(pictureWidth, pictureHeight) || !HasSize(monitorWidth, monitorHeight)) {
        return WholePictureOnWholeMonitor(monitorWidth, monitorHeight);
    }
    const double pictureSpan = static_cast<double>(pictureWidth) * monitorHeight;
    const double monitorSpan = static_cast<double>(pictureHeight) * monitorWidth;
    if (pictureSpan <= fillAspectRatioLimit * monitorSpan && monitorSpan <= fillAspectRatioLimit * pictureSpan) {
        return CoverMonitor(pictureWidth, pictureHeight, monitorWidth, monitorHeight);
    }
    PictureFit fit = WholePictureOnWholeMonitor(monitorWidth, monitorHeight);
    fit.fillsMonitor = false;
    if (pictureSpan > monitorSpan) {
        // Much wider: full width, bands above and below.
        const int32_t height = Rounded(static_cast<double>(monitorWidth) * pictureHeight / pictureWidth);
        fit.area.top = (monitorHeight - height) / 2;
        fit.area.bottom = fit.area.top + height;
    } else {
        const int32_t width = Rounded(static_cast<double>(monitorHeight) * pictureWidth / pictureHeight);
        fit.area.left = (monitorWidth - width) / 2;
        fit.area.right = fit.area.left + width;
    }
    return fit;
}
