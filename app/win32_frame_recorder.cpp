#include "app/win32_frame_recorder.h"

#include <windows.h>

#include "clock/win32_clock.h"
#include "clock/win32_file_time.h"

#include <cstdio>
#include <vector>

// Over an hour at 62.5 frames a second, allocated once so that recording
// allocates nothing while frames are measured.
static const size_t reservedFrames = 1u << 18;

static std::vector<LONGLONG> frameStarts;  // QueryPerformanceCounter ticks
static size_t recordedFrames = 0;
struct SceneTiming {
    uint64_t microsecondsSinceFirstFrame;
    float time;
};
static std::vector<SceneTiming> sceneTimings;
static size_t recordedTimings = 0;
static double firstFrameMilliseconds = -1.0;  // from process creation to the first swap
static DWORD firstFrameGdiObjects = 0;
static DWORD firstFrameUserObjects = 0;
static int pictureChanges = 0;
static uint64_t firstPictureClock = 0;

void RecordFrameStart()
{
    // Filled at once, so that every page is touched before the run is
    // measured and the record does not look like a growing resident size.
    if (frameStarts.empty()) {
        frameStarts.assign(reservedFrames, 0);
    }
    if (recordedFrames < frameStarts.size()) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        frameStarts[recordedFrames++] = now.QuadPart;
    }
}

void RecordSceneTime(uint64_t microsecondsSinceFirstFrame, float time)
{
    if (sceneTimings.empty()) {
        sceneTimings.assign(reservedFrames, SceneTiming{0, 0.0f});
    }
    if (recordedTimings < sceneTimings.size()) {
        sceneTimings[recordedTimings++] = SceneTiming{microsecondsSinceFirstFrame, time};
    }
}

void RecordFrameShown()
{
    if (firstFrameMilliseconds >= 0.0) {
        return;
    }
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    FILETIME creation, exit, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) {
        firstFrameMilliseconds = static_cast<double>(FileTimeTicks(now) - FileTimeTicks(creation)) / 10000.0;
    }
    firstFrameGdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    firstFrameUserObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
}

void RecordPictureChanges(int changes)
{
    pictureChanges = changes;
}

void RecordFirstPictureShown(uint64_t clockMicroseconds)
{
    firstPictureClock = clockMicroseconds;
}

// From process creation to a moment on the performance-counter clock: the
// creation time is on the system clock, so both are read now.
static double MillisecondsAfterProcessStart(uint64_t clockMicroseconds)
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const uint64_t clockNow = PerformanceCounterMicroseconds();
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) {
        return -1.0;
    }
    const double sinceCreation = static_cast<double>(FileTimeTicks(now) - FileTimeTicks(creation)) / 10000.0;
    return sinceCreation - static_cast<double>(clockNow - clockMicroseconds) / 1000.0;
}

void WriteFrameRecord(const std::string& path, const char* pacing)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::fprintf(file, "first_frame_ms %.3f\n", firstFrameMilliseconds);
    std::fprintf(file, "gdi_objects_first_frame %lu\n", firstFrameGdiObjects);
    std::fprintf(file, "gdi_objects_end %lu\n", GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    std::fprintf(file, "user_objects_first_frame %lu\n", firstFrameUserObjects);
    std::fprintf(file, "user_objects_end %lu\n", GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    std::fprintf(file, "pacing %s\n", pacing);
    std::fprintf(file, "picture_changes %d\n", pictureChanges);
    std::fprintf(file, "first_picture_ms %.3f\n",
                 firstPictureClock != 0 ? MillisecondsAfterProcessStart(firstPictureClock) : -1.0);
    for (size_t k = 1; k < recordedFrames; ++k) {
        const double interval = static_cast<double>(frameStarts[k] - frameStarts[k - 1]) * 1000.0 /
                                static_cast<double>(frequency.QuadPart);
        std::fprintf(file, "interval_ms %.3f\n", interval);
    }
    for (size_t k = 0; k < recordedTimings; ++k) {
        std::fprintf(file, "frame %.3f %.4f\n", static_cast<double>(sceneTimings[k].microsecondsSinceFirstFrame) / 1000.0,
                     static_cast<double>(sceneTimings[k].time));
    }
    std::fclose(file);
}
