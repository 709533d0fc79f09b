#pragma once

// The scene counts time in frames with a 32-bit float, which stops advancing
// at 2^24. Before that the counter wraps back to 0 at a count whose phase in
// the wave formula (count * 0.2f, in radians) lies 2.6e-7 rad from a whole
// number of turns: far below one frame's step of 0.2 rad, so the wrap cannot
// be seen. At 62.5 frames a second it comes round every 39 hours.
constexpr float frameTimeWrap = 8777327.0f;

float NextFrameTime(float time);
