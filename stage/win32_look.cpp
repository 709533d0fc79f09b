#include "stage/win32_look.h"

#include "water/win32_water_surface.h"

namespace {

// The grid of the classic look: its vertices along x and y.
constexpr int32_t classicColumns = 20;
constexpr int32_t classicRows = 30;

std::unique_ptr<MonitorSurface> ClassicSurface(const StageChoice& choice)
{
    auto surface = std::make_unique<WaterSurface>();
    surface->Init(classicColumns, classicRows, choice.waveStyle);
    surface->speedPercent = choice.speedPercent;
    return surface;
}

}  // namespace

std::unique_ptr<MonitorSurface> SurfaceForLook(const StageChoice& choice, const MonitorPart& /*monitor*/)
{
    return ClassicSurface(choice);
}
