#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "library/slideshow.h"
#include "library/win32_slideshow.h"
#include "picture/win32_picture_decoder.h"

// What the drawing thread and the slideshow's two threads share: the walk's
// thread hands its finds and its state over, the decoding thread fills each
// monitor's slot, the drawing side takes them. Every field below the lock is
// guarded by it; it is held for moments only, never across a listing or a
// decode.
struct SlideshowWork {
    SlideshowChoice choice;
    SlideshowFiles files;
    PixelSize largestMonitor = {0, 0};
    int maxTextureSide = 0;
    // Read by the listing and between decodes without the lock.
    std::atomic<bool> stop{false};

    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    std::vector<FolderPicture> found;  // the walk's finds the decoding thread has not taken yet
    bool walking = false;              // the walk has folders to list now
    bool walkEnded = true;             // and none waiting to be tried again: nothing more comes
    bool walkWhole = false;            // it ended having listed the whole folder, within every limit
    struct Slot {
        bool wanted = true;     // the drawing side takes this monitor's next picture
        bool ready = false;     // it is in `picture`
        bool builtIn = false;   // nothing could be decoded yet: the built-in picture instead
        bool finished = false;  // nothing else will come
        PictureShape shape = PictureShape::Unknown;  // the monitor's
        DecodedPicture picture; // red, green, blue, alpha, rows bottom-up
        std::string path;
        std::string caption;
    };
    std::vector<Slot> slots;
};

// Holds the work's lock for a scope and gives it back however the scope ends:
// a thread that ran out of memory under it must not leave Stop() waiting
// forever.
class WorkLock {
public:
    explicit WorkLock(SlideshowWork& work) : work(work) { AcquireSRWLockExclusive(&work.lock); }
    ~WorkLock() { ReleaseSRWLockExclusive(&work.lock); }
    WorkLock(const WorkLock&) = delete;
    WorkLock& operator=(const WorkLock&) = delete;

    // Lets go of the lock until woken or `milliseconds` have passed.
    void Sleep(DWORD milliseconds) { (void)SleepConditionVariableSRW(&work.wake, &work.lock, milliseconds, 0); }

private:
    SlideshowWork& work;
};

uint64_t NowMilliseconds();
DWORD MillisecondsUntil(uint64_t at);
// Waits until `at` (UINT64_MAX: for ever) or the stop; false once stopped.
bool SleepUntil(SlideshowWork& work, uint64_t at);

// The threads' routines; each takes a heap `std::shared_ptr<SlideshowWork>`
// it deletes, holding the work until it ends.
DWORD WINAPI WalkThread(LPVOID parameter);
DWORD WINAPI DecodeThread(LPVOID parameter);
