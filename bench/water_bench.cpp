// One frame's CPU work of the water: the classic look's wave animation and
// bent-ray texture-coordinate pass on grids of growing size, and the
// realistic look's wave step and light map on a 1920 x 1080 monitor's grid.
#include <benchmark/benchmark.h>

#include "water/water_grid.h"
#include "water/water_light.h"

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

// The fine field of a 1920 x 1080 monitor (cells of 4 x 4 pixels), already
// rippling, advanced by one frame at 60 frames a second: for Rain two fixed
// steps at Speed 100 %, for Rings and Crossed one evaluation.
static void WaveFieldFrame(benchmark::State& state)
{
    WaveField field;
    field.Init(480, 270, static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    int64_t frame = 0;
    for (; frame < 120; ++frame) {
        field.AdvanceTo(frame / 60.0);
    }
    for (auto _ : state) {
        field.AdvanceTo(static_cast<double>(frame++) / 60.0);
        benchmark::DoNotOptimize(field.Heights().elements.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(WaveFieldFrame)
    ->ArgNames({"mode", "speed"})
    ->Args({Rings, 100})
    ->Args({Crossed, 100})
    ->Args({Rain, 100})
    ->Args({Rain, 200})
    ->Unit(benchmark::kMicrosecond);

// The light map of that field, once per frame.
static void WaterLightFrame(benchmark::State& state)
{
    WaveField field;
    field.Init(480, 270, Rain, 100);
    for (int64_t frame = 0; frame < 120; ++frame) {
        field.AdvanceTo(frame / 60.0);
    }
    WaterLight light;
    light.Init(480, 270);
    for (auto _ : state) {
        light.Compute(field);
        benchmark::DoNotOptimize(light.Texels().data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(WaterLightFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
