#include <algorithm>

#include "water/realistic_water.h"

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
