#include <gtest/gtest.h>

#include "water/water_grid.h"

namespace {

// Exact texture coordinates of the rippled grid at frame 0, as the
// step-by-step double arithmetic gives them (an unoptimised build and Clang
// agree on every bit). Built into the optimised Windows tests too, where a
// compiler that reorders the per-vertex steps would show up as a changed bit.
TEST(WaterRoundingTest, TexCoordsMatchTheStepByStepArithmeticToTheBit)
{
    struct Case {
        int i;
        int j;
        float u;
        float v;
    } cases[] = {
        {0, 0, 0x1.49139ep-5f, 0x1.f40c78p-5f},     {1, 0, -0x1.8342dcp-6f, 0x1.42f60ep-5f},
        {0, 1, 0x1.f81436p-6f, -0x1.7f2678p-7f},    {7, 13, -0x1.7abe0ap-2f, -0x1.c77268p-2f},
        {18, 28, -0x1.051af8p+0f, -0x1.00f158p+0f},
    };
    WaterGrid grid;
    grid.Init(20, 30, Rings);
    grid.Animate(0.0f);
    grid.ComputeTexCoords();
    for (const Case& c : cases) {
        EXPECT_EQ(grid.texCoords.At(c.i, c.j).u, c.u) << c.i << "," << c.j;
        EXPECT_EQ(grid.texCoords.At(c.i, c.j).v, c.v) << c.i << "," << c.j;
    }
}

}  // namespace
