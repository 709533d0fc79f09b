#include "stage/win32_look.h"

#include <windows.h>

#include "water/win32_realistic_surface.h"
#include "water/win32_water_surface.h"

namespace {

// The grid of the classic look: its vertices along x and y.
constexpr int32_t classicColumns = 20;
constexpr int32_t classicRows = 30;

// Rain falls at other places and moments at every start, and on each
// monitor differently: the seed comes from the start's time and from where
// the monitor lies.
uint32_t RainSeed(const MonitorPart& monitor)
{
    static const uint32_t startSeed = static_cast<uint32_t>(GetTickCount64()) * 2246822519u;
    return (startSeed ^ static_cast<uint32_t>(monitor.piece.left) * 2654435761u ^
            static_cast<uint32_t>(monitor.piece.top) * 40503u) | 1u;
}

std::unique_ptr<MonitorSurface> ClassicSurface(const StageChoice& choice, uint32_t rainSeed)
{
    auto surface = std::make_unique<WaterSurface>();
    surface->rainSeed = rainSeed;
    surface->Init(classicColumns, classicRows, choice.waveStyle);
    surface->speedPercent = choice.speedPercent;
    return surface;
}

}  // namespace

std::unique_ptr<MonitorSurface> SurfaceForLook(const StageChoice& choice, const MonitorPart& monitor)
{
    const uint32_t seed = RainSeed(monitor);
    if (choice.look != realisticLookChoice) {
        return ClassicSurface(choice, seed);
    }
    return std::make_unique<RealisticWater>(PixelSize{monitor.piece.Width(), monitor.piece.Height()},
                                            choice.waveStyle, choice.speedPercent, seed,
                                            [choice, seed] { return ClassicSurface(choice, seed); });
}

bool RealisticLookRuns()
{
    return ContextRunsRealisticLook();
}
