#pragma once

#include <cstdint>

#include "geometry/vec3.h"
#include "water/grid2d.h"
#include "water/wave_field.h"
#include "water/wave_mode.h"

// The water surface's portable core: a grid of vertices floating near z = 1
// above the picture plane, rippled once per frame, and the texture coordinate
// that each vertex's bent view ray lands on. The OpenGL side (WaterSurface)
// derives from it; nothing here touches a platform API.
class WaterGrid {
public:
    // Sizes both grids once; nothing is allocated after this.
    void Init(int32_t columnCount, int32_t rowCount, int32_t mode);

    // Rewrites the vertices for the given scene time, in 16 ms units
    // (Update's work). Rain moves them by the rain's heights at that moment.
    void Animate(float time);

    // Bends the eye ray at every vertex but the last column and row and stores
    // where it meets the picture plane (the first half of Draw).
    void ComputeTexCoords();

    // Calls visit(texCoord, vertex) for the six corners of every drawn cell, in
    // drawing order: (i,j) (i+1,j) (i,j+1), (i+1,j) (i+1,j+1) (i,j+1).
    template <typename Visit>
    void ForEachDrawnCorner(Visit visit) const
    {
        static const int32_t cornerOffsets[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
        for (int32_t i = 0; i + 2 < columns; ++i) {
            for (int32_t j = 0; j + 2 < rows; ++j) {
                for (const auto& offset : cornerOffsets) {
                    const int32_t ci = i + offset[0];
                    const int32_t cj = j + offset[1];
                    visit(texCoords.At(ci, cj), vertices.At(ci, cj));
                }
            }
        }
    }

    int32_t columns = 0;            // vertices along x
    int32_t rows = 0;               // vertices along y
    int32_t vertexComponents = 0;   // floats per vertex, 3 once initialised
    int32_t texCoordComponents = 0; // floats per texture coordinate, 2 once initialised
    int32_t waveMode = Rings;
    // How far the waves advance per frame, in percent of the usual step; the
    // frames themselves keep their pace.
    int32_t speedPercent = 100;
    // Where Rain's drops start, read by Init: the same seed, the same rain.
    // Set it before Init (from the clock, say) for a rain of its own each run.
    uint32_t rainSeed = 1;
    Grid2D<Vec3> vertices;
    Grid2D<TexCoord> texCoords;

private:
    void ComputeRingAngles();
    void AnimateRain(float time);

    Grid2D<double> ringAngles;  // radians of each vertex's ring, before the phase
    // Rain's heights, one cell per vertex: a drop spans a few vertices, and
    // its ring is wide enough for the grid to show. Sized only for Rain.
    WaveField rain;
};
