#include "stage/win32_look.h"

#include "water/win32_realistic_surface.h"
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

std::unique_ptr<MonitorSurface> SurfaceForLook(const StageChoice& choice, const MonitorPart& monitor)
{
    if (choice.look != realisticLookChoice) {
        return ClassicSurface(choice);
    }
    // Each monitor rains on its own: the seed comes from where it lies.
    const uint32_t seed = static_cast<uint32_t>(monitor.piece.left) * 2654435761u ^
                          static_cast<uint32_t>(monitor.piece.top) * 40503u ^ 1u;
    return std::make_unique<RealisticWater>(PixelSize{monitor.piece.Width(), monitor.piece.Height()},
                                            choice.waveStyle, choice.speedPercent, seed,
                                            [choice] { return ClassicSurface(choice); });
}

bool RealisticLookRuns()
{
    return ContextRunsRealisticLook();
}
