#pragma once

#include <cstdint>

// Microseconds of a steady clock; the performance counter, or a test's own.
// The frames and the slideshow's threads keep time by the same one.
using MicrosecondClock = uint64_t (*)();
uint64_t PerformanceCounterMicroseconds();

// The CPU time of the whole process, user and kernel, every thread included
// (a software renderer's own among them), in microseconds.
uint64_t ProcessCpuMicroseconds();
