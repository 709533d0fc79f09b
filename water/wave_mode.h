#pragma once

#include <cstdint>

// The shapes the waves take, as the WaveStyle setting numbers them. Both looks
// draw the same three.
enum WaveMode : int32_t {
    Rings = 0,    // rings spreading from the centre
    Crossed = 1,  // two wave trains crossing at right angles
    Rain = 2,     // drops at random places and moments, each sending out a ring
};
