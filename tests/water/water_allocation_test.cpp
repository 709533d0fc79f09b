#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "water/water_grid.h"
#include "water/water_light.h"

// Counts every allocation made through operator new in this test program, so
// that a frame's work can be shown to allocate nothing.
static long allocationCount = 0;

void* operator new(std::size_t size)
{
    ++allocationCount;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

TEST(WaterAllocationTest, FramesAllocateNothingAfterInit)
{
    const int sizes[][2] = {{20, 30}, {3, 3}, {1, 1}, {160, 240}};
    for (const auto& size : sizes) {
        for (const int32_t mode : {Rings, Crossed}) {
            WaterGrid grid;
            const long beforeInit = allocationCount;
            grid.Init(size[0], size[1], mode);
            // Init's buffers are counted, so a frame's allocation would be too.
            ASSERT_GT(allocationCount, beforeInit);
            const long before = allocationCount;
            for (int frame = 0; frame < 50; ++frame) {
                grid.Animate(static_cast<float>(frame));
                grid.ComputeTexCoords();
                int corners = 0;
                grid.ForEachDrawnCorner([&corners](const TexCoord&, const Vec3&) { ++corners; });
            }
            EXPECT_EQ(allocationCount, before) << size[0] << " x " << size[1] << " mode " << mode;
        }
    }
}

TEST(WaterAllocationTest, TheFineFieldItsLightAndClassicRainAllocateNothingPerFrame)
{
    for (const int32_t mode : {Rings, Crossed, Rain}) {
        WaveField field;
        field.Init(96, 54, mode, 150);
        WaterLight light;
        light.Init(96, 54);
        WaterGrid grid;
        grid.Init(20, 30, mode);
        const long before = allocationCount;
        for (int frame = 0; frame < 200; ++frame) {
            field.AdvanceTo(frame / 60.0);
            light.Compute(field);
            grid.Animate(static_cast<float>(frame));
        }
        field.AddDrop(0.5f, 0.5f, 1.0f);
        field.SetSpeedPercent(60);
        EXPECT_EQ(allocationCount, before) << "mode " << mode;
    }
}

}  // namespace
