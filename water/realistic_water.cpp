#include "water/realistic_water.h"

#include <algorithm>

void WaterLightSource::Init(int32_t monitorWidth, int32_t monitorHeight, int32_t waveMode, int32_t speedPercent,
                            uint32_t seed)
{
    const int32_t columns = std::max(1, (monitorWidth + cellPixels - 1) / cellPixels);
    const int32_t rows = std::max(1, (monitorHeight + cellPixels - 1) / cellPixels);
    field.Init(columns, rows, waveMode, speedPercent, seed);
    light.Init(columns, rows);
}

LightMapView WaterLightSource::LightAt(double seconds)
{
    field.AdvanceTo(seconds);
    light.Compute(field);
    return LightMapView{light.Texels().data(), light.Columns(), light.Rows()};
}

PicturePlace PlaceOf(const PictureFit& fit, int32_t monitorWidth, int32_t monitorHeight)
{
    if (monitorWidth < 1 || monitorHeight < 1) {
        return inPlace;
    }
    const float width = static_cast<float>(monitorWidth);
    const float height = static_cast<float>(monitorHeight);
    PicturePlace place;
    // The area, from pixels counted down from the top to 0..1 counted up.
    place.left = static_cast<float>(fit.area.left) / width;
    place.right = static_cast<float>(fit.area.right) / width;
    place.top = 1.0f - static_cast<float>(fit.area.top) / height;
    place.bottom = 1.0f - static_cast<float>(fit.area.bottom) / height;
    const float areaWidth = place.right - place.left;
    const float areaHeight = place.top - place.bottom;
    if (areaWidth <= 0.0f || areaHeight <= 0.0f) {
        return inPlace;
    }
    // Across: the area's left edge shows crop.left, its right crop.right.
    place.scaleU = (fit.crop.right - fit.crop.left) / areaWidth;
    place.offsetU = fit.crop.left - place.left * place.scaleU;
    // Up: the area's bottom shows t = 1 - crop.bottom, its top 1 - crop.top.
    const float tBottom = 1.0f - fit.crop.bottom;
    const float tTop = 1.0f - fit.crop.top;
    place.scaleV = (tTop - tBottom) / areaHeight;
    place.offsetV = tBottom - place.bottom * place.scaleV;
    return place;
}

WaterDrawing DrawingTrial::Next() const
{
    if (Decided()) {
        return composedTotal < passTotal ? WaterDrawing::Composed : WaterDrawing::Pass;
    }
    return frames < framesSkipped + framesTimed ? WaterDrawing::Pass : WaterDrawing::Composed;
}

bool DrawingTrial::Timing() const
{
    const int ofItsKind = frames % (framesSkipped + framesTimed);
    return !Decided() && ofItsKind >= framesSkipped;
}

void DrawingTrial::FrameTook(uint64_t microseconds)
{
    if (Decided()) {
        return;
    }
    if (Timing()) {
        (Next() == WaterDrawing::Pass ? passTotal : composedTotal) += microseconds;
    }
    ++frames;
}
