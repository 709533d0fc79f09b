#pragma once

#include <windows.h>

#include <cstdint>

// A FILETIME (or the two halves of one, as WIN32_FIND_DATA holds its times)
// as one number of 100-nanosecond units.
inline uint64_t FileTimeTicks(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
