#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "water/water_grid.h"

namespace {

const double kFivePlaces = 5e-6;
const int32_t kStill = 3;  // any mode other than Rings, Crossed and Rain

struct VertexCase {
    int32_t i;
    int32_t j;
    Vec3 expected;
};

struct TexCoordCase {
    int32_t i;
    int32_t j;
    TexCoord expected;
};

void ExpectVertices(const WaterGrid& grid, const std::vector<VertexCase>& cases)
{
    for (const VertexCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "vertex (" << c.i << ", " << c.j << ")");
        const Vec3& v = grid.vertices.At(c.i, c.j);
        EXPECT_NEAR(c.expected.x, v.x, kFivePlaces);
        EXPECT_NEAR(c.expected.y, v.y, kFivePlaces);
        EXPECT_NEAR(c.expected.z, v.z, kFivePlaces);
    }
}

void ExpectTexCoords(const WaterGrid& grid, const std::vector<TexCoordCase>& cases)
{
    for (const TexCoordCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "texCoord (" << c.i << ", " << c.j << ")");
        const TexCoord& t = grid.texCoords.At(c.i, c.j);
        EXPECT_NEAR(c.expected.u, t.u, kFivePlaces);
        EXPECT_NEAR(c.expected.v, t.v, kFivePlaces);
    }
}

bool IsZero(const TexCoord& t)
{
    return t.u == 0.0f && t.v == 0.0f;
}

// --- Init -------------------------------------------------------------------

TEST(WaterGridInit, SizesBothGridsAndLaysAFlatSheet)
{
    WaterGrid grid;
    grid.Init(20, 30, Rings);

    EXPECT_EQ(20, grid.columns);
    EXPECT_EQ(30, grid.rows);
    EXPECT_EQ(3, grid.vertexComponents);
    EXPECT_EQ(2, grid.texCoordComponents);
    EXPECT_EQ(Rings, grid.waveMode);
    EXPECT_EQ(20, grid.vertices.width);
    EXPECT_EQ(30, grid.vertices.height);
    EXPECT_EQ(20, grid.texCoords.width);
    EXPECT_EQ(30, grid.texCoords.height);
    ASSERT_EQ(600u, grid.vertices.elements.size());
    ASSERT_EQ(600u, grid.texCoords.elements.size());

    // The start spacing along x is 0.42, not the 0.4 that Rings uses.
    ExpectVertices(grid, {
                             {0, 0, {0.0f, 0.0f, 1.0f}},
                             {1, 0, {0.42f, 0.0f, 1.0f}},
                             {0, 1, {0.0f, 0.2f, 1.0f}},
                             {10, 15, {4.2f, 3.0f, 1.0f}},
                             {19, 29, {7.98f, 5.8f, 1.0f}},
                         });
    for (const Vec3& v : grid.vertices.elements) {
        EXPECT_EQ(1.0f, v.z);
    }
    for (const TexCoord& t : grid.texCoords.elements) {
        EXPECT_TRUE(IsZero(t));
    }
}

TEST(WaterGridInit, RowsAreContiguousInTheElementArray)
{
    WaterGrid grid;
    grid.Init(4, 3, Rings);
    // Element (i, j) at i + j * width: index 6 is column 2 of row 1.
    EXPECT_NEAR(0.84f, grid.vertices.elements[6].x, kFivePlaces);
    EXPECT_NEAR(0.2f, grid.vertices.elements[6].y, kFivePlaces);
}

TEST(WaterGridInit, EmptySizesGiveEmptyArraysThatNothingWrites)
{
    const int32_t sizes[][2] = {{0, 30}, {20, 0}, {0, 0}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
        WaterGrid grid;
        grid.Init(size[0], size[1], Rings);
        grid.Animate(3.0f);
        grid.ComputeTexCoords();
        int corners = 0;
        grid.ForEachDrawnCorner([&corners](const TexCoord&, const Vec3&) { ++corners; });

        EXPECT_TRUE(grid.vertices.elements.empty());
        EXPECT_TRUE(grid.texCoords.elements.empty());
        EXPECT_EQ(0, corners);
    }
}

// --- Animate ----------------------------------------------------------------

// Speed scales the phase only: half speed at frame 20 and twice at frame 5
// stand where today's speed stands at frame 10, to the bit.
TEST(WaterGridAnimate, SpeedScalesHowFarTheWavesAdvancePerFrame)
{
    for (int32_t mode : {int32_t{Rings}, int32_t{Crossed}}) {
        WaterGrid usual, slow, fast;
        for (WaterGrid* grid : {&usual, &slow, &fast}) {
            grid->Init(20, 30, mode);
        }
        slow.speedPercent = 50;
        fast.speedPercent = 200;
        usual.Animate(10.0f);
        slow.Animate(20.0f);
        fast.Animate(5.0f);
        for (size_t k = 0; k < usual.vertices.elements.size(); ++k) {
            ASSERT_EQ(usual.vertices.elements[k].z, slow.vertices.elements[k].z) << mode << " " << k;
            ASSERT_EQ(usual.vertices.elements[k].z, fast.vertices.elements[k].z) << mode << " " << k;
        }
    }
}

TEST(WaterGridAnimate, RingsAtTimeZero)
{
    WaterGrid grid;
    grid.Init(20, 30, Rings);
    grid.Animate(0.0f);

    const Vec3& centre = grid.vertices.At(10, 15);
    EXPECT_EQ(4.0f, centre.x);
    EXPECT_EQ(3.0f, centre.y);
    EXPECT_EQ(1.0f, centre.z);
    ExpectVertices(grid, {
                             {0, 0, {0.0f, 0.0f, 0.99588f}},
                             {19, 29, {7.6f, 5.8f, 0.93017f}},
                         });
}

TEST(WaterGridAnimate, TimeTenInEitherMode)
{
    struct Case {
        const char* name;
        int32_t mode;
        Vec3 expectedCentre;
    };
    const Case cases[] = {
        {"Rings", Rings, {4.0f, 3.0f, 0.90907f}},
        // Crossed rewrites z only: x keeps the 0.42 spacing.
        {"Crossed", Crossed, {4.2f, 3.0f, 0.81814f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaterGrid grid;
        grid.Init(20, 30, c.mode);
        grid.Animate(10.0f);
        ExpectVertices(grid, {{10, 15, c.expectedCentre}});
    }
}

TEST(WaterGridAnimate, CentreIsTheTruncatedHalf)
{
    struct Case {
        int32_t columns;
        int32_t rows;
        int32_t cx;
        int32_t cy;
    };
    const Case cases[] = {
        {20, 30, 10, 15},
        {21, 31, 10, 15},
        {3, 5, 1, 2},
        {7, 4, 3, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.columns << " x " << c.rows);
        WaterGrid grid;
        grid.Init(c.columns, c.rows, Rings);
        grid.Animate(0.0f);
        // At time 0 the crest sits exactly on the centre, and the rings are
        // symmetric about it in both directions.
        EXPECT_EQ(1.0f, grid.vertices.At(c.cx, c.cy).z);
        EXPECT_EQ(grid.vertices.At(c.cx - 1, c.cy).z, grid.vertices.At(c.cx + 1, c.cy).z);
        EXPECT_EQ(grid.vertices.At(c.cx, c.cy - 1).z, grid.vertices.At(c.cx, c.cy + 1).z);
        EXPECT_NE(1.0f, grid.vertices.At(c.cx + 1, c.cy).z);
    }
}

TEST(WaterGridAnimate, OtherModesNeverMove)
{
    for (const int32_t mode : {kStill, -1, 7}) {
        SCOPED_TRACE(testing::Message() << "waveMode " << mode);
        WaterGrid grid;
        grid.Init(20, 30, mode);
        for (const float time : {0.0f, 10.0f, 1234.0f}) {
            grid.Animate(time);
        }
        ExpectVertices(grid, {
                                 {0, 0, {0.0f, 0.0f, 1.0f}},
                                 {1, 1, {0.42f, 0.2f, 1.0f}},
                                 {19, 29, {7.98f, 5.8f, 1.0f}},
                             });
        for (const Vec3& v : grid.vertices.elements) {
            EXPECT_EQ(1.0f, v.z);
        }
    }
}

TEST(WaterGridAnimate, HeightsStayInTheirBands)
{
    struct Case {
        int32_t mode;
        float low;
        float high;
    };
    const Case cases[] = {{Rings, 0.9f, 1.1f}, {Crossed, 0.8f, 1.2f}};
    for (const Case& c : cases) {
        WaterGrid grid;
        grid.Init(20, 30, c.mode);
        for (float time = 0.0f; time < 32.0f; time += 1.0f) {
            grid.Animate(time);
            for (const Vec3& v : grid.vertices.elements) {
                ASSERT_GE(v.z, c.low) << "mode " << c.mode << " time " << time;
                ASSERT_LE(v.z, c.high) << "mode " << c.mode << " time " << time;
            }
        }
    }
}

// Rain starts still and moves the grid by its heights, at every Speed within
// the rings' band, on the rings' layout.
TEST(WaterGridAnimate, RainStartsStillAndMovesWithinTheBand)
{
    for (const int32_t speed : {50, 100, 200}) {
        WaterGrid grid;
        grid.Init(20, 30, Rain);
        grid.speedPercent = speed;
        grid.Animate(0.0f);
        ExpectVertices(grid, {{0, 0, {0.0f, 0.0f, 1.0f}}, {19, 29, {7.6f, 5.8f, 1.0f}}});
        float lowest = 1.0f, highest = 1.0f;
        for (float time = 1.0f; time < 400.0f; time += 1.0f) {
            grid.Animate(time);
            for (const Vec3& v : grid.vertices.elements) {
                lowest = std::min(lowest, v.z);
                highest = std::max(highest, v.z);
            }
        }
        EXPECT_TRUE(lowest < 0.99f && lowest >= 0.8f) << speed << ": " << lowest;
        EXPECT_TRUE(highest > 1.005f && highest <= 1.2f) << speed << ": " << highest;
    }
}

// --- ComputeTexCoords -------------------------------------------------------

TEST(WaterGridTexCoords, FlatGridMapsThroughTheStraightBentRay)
{
    WaterGrid grid;
    grid.Init(20, 30, kStill);
    grid.Animate(0.0f);
    grid.ComputeTexCoords();
    ExpectTexCoords(grid, {
                              {0, 0, {0.03448f, 0.04993f}},
                              {10, 15, {-0.54912f, -0.52085f}},
                          });
}

TEST(WaterGridTexCoords, RipplingGridsMapAsExpected)
{
    struct Case {
        const char* name;
        int32_t mode;
        float time;
        std::vector<TexCoordCase> expected;
    };
    const Case cases[] = {
        {"Rings at time 0",
         Rings,
         0.0f,
         {{0, 0, {0.04017f, 0.06104f}},
          {10, 15, {-0.54940f, -0.52741f}},
          {5, 20, {-0.25436f, -0.72598f}},
          {18, 28, {-1.01994f, -1.00368f}}}},
        // Crossed keeps the 0.42 spacing, so the extent is 7.98 along x.
        {"Crossed at time 10",
         Crossed,
         10.0f,
         {{0, 0, {0.04225f, 0.08511f}},
          {10, 15, {-0.54873f, -0.54058f}},
          {5, 20, {-0.26016f, -0.70914f}},
          {18, 28, {-1.01295f, -1.02882f}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaterGrid grid;
        grid.Init(20, 30, c.mode);
        grid.Animate(c.time);
        grid.ComputeTexCoords();
        ExpectTexCoords(grid, c.expected);
    }
}

TEST(WaterGridTexCoords, LastColumnAndRowKeepZero)
{
    for (const int32_t mode : {int32_t{Rings}, int32_t{Crossed}, kStill}) {
        SCOPED_TRACE(testing::Message() << "waveMode " << mode);
        WaterGrid grid;
        grid.Init(20, 30, mode);
        grid.Animate(5.0f);
        grid.ComputeTexCoords();
        for (int32_t i = 0; i < 20; ++i) {
            for (int32_t j = 0; j < 30; ++j) {
                const bool edge = i == 19 || j == 29;
                const TexCoord& t = grid.texCoords.At(i, j);
                EXPECT_EQ(edge, IsZero(t)) << "(" << i << ", " << j << ")";
                if (!edge) {
                    // About one copy of the picture across the surface.
                    EXPECT_GT(t.u, -1.05f);
                    EXPECT_LT(t.u, 0.1f);
                    EXPECT_GT(t.v, -1.05f);
                    EXPECT_LT(t.v, 0.1f);
                }
            }
        }
    }
}

TEST(WaterGridTexCoords, NarrowGridsComputeOnlyCellsWithForwardNeighbours)
{
    struct Case {
        int32_t columns;
        int32_t rows;
    };
    const Case cases[] = {{2, 5}, {5, 2}, {2, 2}, {1, 5}, {5, 1}, {1, 1}, {3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.columns << " x " << c.rows);
        WaterGrid grid;
        grid.Init(c.columns, c.rows, kStill);
        grid.ComputeTexCoords();
        for (int32_t i = 0; i < c.columns; ++i) {
            for (int32_t j = 0; j < c.rows; ++j) {
                const bool computed = i + 1 < c.columns && j + 1 < c.rows;
                EXPECT_EQ(computed, !IsZero(grid.texCoords.At(i, j))) << "(" << i << ", " << j << ")";
            }
        }
    }
}

// --- ForEachDrawnCorner -----------------------------------------------------

struct Corner {
    TexCoord texCoord;
    Vec3 vertex;
};

std::vector<Corner> DrawnCorners(const WaterGrid& grid)
{
    std::vector<Corner> corners;
    grid.ForEachDrawnCorner([&corners](const TexCoord& t, const Vec3& v) { corners.push_back({t, v}); });
    return corners;
}

TEST(WaterGridCorners, DefaultGridDrawsEighteenByTwentyEightCells)
{
    WaterGrid grid;
    grid.Init(20, 30, Rings);
    grid.Animate(0.0f);
    grid.ComputeTexCoords();
    const std::vector<Corner> corners = DrawnCorners(grid);
    ASSERT_EQ(3024u, corners.size());
    EXPECT_EQ(1008u, corners.size() / 3);
    // The last column (x 7.6) and the last row (y 5.8) are never drawn, and
    // so no corner carries their untouched (0, 0).
    for (const Corner& corner : corners) {
        EXPECT_LT(corner.vertex.x, 7.5f);
        EXPECT_LT(corner.vertex.y, 5.7f);
        EXPECT_FALSE(IsZero(corner.texCoord));
    }
}

TEST(WaterGridCorners, ThreeByThreeDrawsOneCellInOrder)
{
    WaterGrid grid;
    grid.Init(3, 3, kStill);
    grid.ComputeTexCoords();
    const std::vector<Corner> corners = DrawnCorners(grid);
    const int32_t expected[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
    ASSERT_EQ(6u, corners.size());
    for (size_t k = 0; k < corners.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "corner " << k);
        const Vec3& v = grid.vertices.At(expected[k][0], expected[k][1]);
        const TexCoord& t = grid.texCoords.At(expected[k][0], expected[k][1]);
        EXPECT_EQ(v.x, corners[k].vertex.x);
        EXPECT_EQ(v.y, corners[k].vertex.y);
        EXPECT_EQ(v.z, corners[k].vertex.z);
        EXPECT_EQ(t.u, corners[k].texCoord.u);
        EXPECT_EQ(t.v, corners[k].texCoord.v);
        EXPECT_FALSE(IsZero(corners[k].texCoord));
    }
}

TEST(WaterGridCorners, BelowThreeInEitherDirectionNothingIsDrawn)
{
    const int32_t sizes[][2] = {{2, 30}, {20, 2}, {2, 2}, {1, 30}, {20, 1}, {1, 1}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
        WaterGrid grid;
        grid.Init(size[0], size[1], Rings);
        grid.Animate(0.0f);
        grid.ComputeTexCoords();
        EXPECT_TRUE(DrawnCorners(grid).empty());
    }
}

}  // namespace
