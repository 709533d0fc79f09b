// One frame's CPU work of the water: the wave animation and the bent-ray
// texture-coordinate pass, on grids of growing size.
#include <benchmark/benchmark.h>

#include "water/water_grid.h"

static void WaterFrame(benchmark::State& state)
{
    WaterGrid grid;
    grid.Init(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), Rings);
    float time = 0.0f;
    for (auto _ : state) {
        grid.Animate(time);
        grid.ComputeTexCoords();
        benchmark::DoNotOptimize(grid.texCoords.elements.data());
        benchmark::ClobberMemory();
        time += 1.0f;
    }
    const double vertices = static_cast<double>(state.range(0) * state.range(1));
    state.counters["vertices"] = vertices;
    state.counters["per_vertex"] =
        benchmark::Counter(vertices, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(WaterFrame)
    ->Args({20, 30})
    ->Args({40, 60})
    ->Args({80, 120})
    ->Args({160, 240})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
