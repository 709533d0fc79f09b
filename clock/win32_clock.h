#pragma once

#include <cstdint>

// Microseconds of a steady clock; the performance counter, or a test's own.
// The frames and the slideshow's threads keep time by the same one.
using MicrosecondClock = uint64_t (*)();
uint64_t PerformanceCounterMicroseconds();
