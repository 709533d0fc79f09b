#pragma once

#include <cstdint>
#include <vector>

#include "water/grid2d.h"
#include "water/wave_mode.h"

// The water's heights on a grid of cells laid over one monitor: cell (i, j) is
// column i from the left, row j from the top, and covers the monitor's pixels
// from i * width / columns to (i + 1) * width / columns across (rows alike).
// Cells should be square on the screen (columns / rows as the monitor's
// width / height, as width / 4 x height / 4 gives); rain spreads its rings in
// cells, so other cells would squeeze them.
//
// Heights are unitless: the rings' crests reach 1, the crossed waves' 2 (as in
// the classic look, whose surface moves by a tenth of them); a raindrop dips
// to about -1 and its ring is a few tenths high. Flat water is 0 everywhere,
// and rain keeps the mean level at 0.
//
// Rings and Crossed are the classic look's formulas, evaluated at every cell's
// centre as if the classic 20 x 30 grid were stretched over the monitor (so
// the same look, without facets). Rain is a height field following the
// damped discrete wave equation, stepped at a fixed rate of its own,
// stepsPerSecond, whatever the frame rate: the heights after a second are the
// same at 30, 60 or 144 frames a second. Drops fall at random places and
// moments from a seeded generator (the same seed, the same rain); their rings
// spread, cross, reflect at the edges and fade.
//
// Every style rises from still water over the first riseSeconds: the first
// frame (time 0) is flat, so the picture beneath shows exactly as it is, and
// the rise starts slowly enough that the first frames a person (or a
// screenshot) sees are still the picture to the pixel.
//
// Init sizes everything; nothing is allocated afterwards.
class WaveField {
public:
    // Rain's clock: steps per second of the clock, at any Speed (Speed
    // scales what a step does: the rings' spread, their fading and the
    // drops' rate, so 200 % is the same rain played twice as fast).
    static constexpr int32_t stepsPerSecond = 120;
    // At most this many steps in one AdvanceTo (a quarter of a second): after
    // a stall the water skips ahead instead of holding up the frame.
    static constexpr int32_t maxStepsPerAdvance = 30;
    // How long the waves take to rise from still water after time 0.
    static constexpr double riseSeconds = 2.0;
    // How fast a rain ring spreads at Speed 100 %: monitor heights (rows of
    // the grid, all of them) per second. Speed scales it.
    static constexpr double ringHeightsPerSecond = 0.22;
    // Drops per second over a whole monitor at Speed 100 % (Speed scales it).
    static constexpr double usualDropsPerSecond = 6.0;

    // Sizes the field for `columns` x `rows` cells (each at least 1) and the
    // style (Rings, Crossed or Rain; any other value stays flat), at the
    // given Speed (50 to 200 %, held to that range). Starts still, at time 0.
    // Monitors that should not rain alike take different seeds.
    void Init(int32_t columns, int32_t rows, int32_t waveMode, int32_t speedPercent, uint32_t seed = 1);

    // Changes the Speed (held to 50..200 %) from the next step on, keeping the
    // water as it is.
    void SetSpeedPercent(int32_t percent);

    // Brings the water to `seconds` since the first frame (time 0): Rings and
    // Crossed are evaluated at that moment, Rain runs as many fixed steps as
    // the clock has passed since the last call (at most maxStepsPerAdvance).
    // A time earlier than the last one (a clock that wrapped) carries on from
    // the water as it is, without steps; it never restarts the rise.
    void AdvanceTo(double seconds);

    // Drops a drop now at (u, v), in 0..1 of the field's width and height from
    // its top-left corner, `depth` deep (about 1 for an ordinary raindrop),
    // at full strength whatever the rise. For Rain only; others ignore it.
    // Random drops are these, at random places, depths and moments.
    void AddDrop(float u, float v, float depth);

    // How fast Rain's rings spread now: cells per second.
    double RingCellsPerSecond() const;

    const Grid2D<float>& Heights() const { return heights; }
    int32_t Columns() const { return heights.width; }
    int32_t Rows() const { return heights.height; }
    int32_t Mode() const { return waveMode; }
    int32_t SpeedPercent() const { return speedPercent; }

    // Random drops per second at Speed 100 %; 0 leaves only AddDrop's.
    double dropsPerSecond = usualDropsPerSecond;

private:
    void EvaluateRings(float phase, float amplitude);
    void EvaluateCrossed(float phase, float amplitude);
    void Step();
    void DropRandomly(double rise);
    void PlaceDrop(float u, float v, float depth);
    void AdvanceRain(double seconds);
    double NextUnit();

    int32_t waveMode = Rings;
    int32_t speedPercent = 100;
    Grid2D<float> heights;
    // Rain: the heights one sub-step ago (the wave equation is second order).
    Grid2D<float> previous;
    // Rings: each cell's angle of the classic formula, as sine and cosine, so
    // that a frame needs no trigonometry per cell.
    Grid2D<float> ringSine;
    Grid2D<float> ringCosine;
    // Crossed: the waves are separable, one sine per column and one per row.
    std::vector<float> columnWave;
    std::vector<float> rowWave;

    // Rain's stepping.
    int32_t subSteps = 1;       // wave-equation sub-steps per fixed step, for stability
    float courantSquared = 0;   // (ring speed x sub-step / cell)^2
    float keep = 1;             // damping: how much of the motion a sub-step keeps
    int64_t stepsDone = 0;      // fixed steps since Init
    double stepOrigin = 0;      // clock seconds at which step 0 stood
    uint64_t randomState = 0;

    // The rise: the clock second of the first AdvanceTo, and whether it is over.
    bool started = false;
    bool risen = false;
    double startSeconds = 0;
    double lastSeconds = 0;
};
