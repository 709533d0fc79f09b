#include "clock/win32_clock.h"

#include <windows.h>

#include "clock/win32_file_time.h"

uint64_t PerformanceCounterMicroseconds()
{
    static const uint64_t frequency = [] {
        LARGE_INTEGER f;
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? static_cast<uint64_t>(f.QuadPart) : uint64_t{1};
    }();
    LARGE_INTEGER counter;
    (void)QueryPerformanceCounter(&counter);
    const uint64_t ticks = static_cast<uint64_t>(counter.QuadPart);
    // In two parts, so that ticks * 1000000 cannot overflow.
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}

uint64_t ProcessCpuMicroseconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (FileTimeTicks(kernel) + FileTimeTicks(user)) / 10;
}
