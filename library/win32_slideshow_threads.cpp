// The slideshow's two threads: the walk through the folder, and the decoding
// loop that picks each monitor's next picture from the picture table and
// reads it, from its file or its cached copy, ahead of its turn.
#include <objbase.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <memory>
#include <new>
#include <random>

#include "clock/win32_clock.h"
#include "library/picture_table.h"
#include "library/win32_caption.h"
#include "library/win32_picture_cache.h"
#include "library/win32_slideshow_work.h"
#include "picture/win32_picture_formats.h"

uint64_t NowMilliseconds()
{
    return PerformanceCounterMicroseconds() / 1000;
}

DWORD MillisecondsUntil(uint64_t at)
{
    const uint64_t now = NowMilliseconds();
    return at == UINT64_MAX ? INFINITE : at <= now ? 0 : static_cast<DWORD>(std::min<uint64_t>(at - now, 60000));
}

bool SleepUntil(SlideshowWork& work, uint64_t at)
{
    WorkLock locked(work);
    while (!work.stop.load() && NowMilliseconds() < at) {
        locked.Sleep(MillisecondsUntil(at));
    }
    return !work.stop.load();
}

// The user's cache of the chosen folder's pictures; unused for a single file.
static FolderPictureCache CacheOf(const SlideshowWork& work)
{
    const SlideshowChoice& choice = work.choice;
    const uint64_t capBytes = static_cast<uint64_t>(std::max(choice.cacheMegabytes, 0)) << 20;
    return FolderPictureCache(choice.folder, choice.includeSubfolders, capBytes, choice.fillsCache);
}

// ---- The walk's thread ----

// Where a listing's finds arrive: handed to the decoding thread in one move.
static void HandOver(SlideshowWork& work, const std::vector<FolderPicture>& pictures)
{
    std::vector<FolderPicture> batch(pictures);
    {
        WorkLock locked(work);
        if (work.found.empty()) {
            work.found.swap(batch);
        } else {
            work.found.insert(work.found.end(), std::make_move_iterator(batch.begin()),
                              std::make_move_iterator(batch.end()));
        }
    }
    WakeAllConditionVariable(&work.wake);
}

static void SetWalkState(SlideshowWork& work, bool walking, bool ended, bool whole)
{
    {
        WorkLock locked(work);
        work.walking = walking;
        work.walkEnded = ended;
        work.walkWhole = whole;
    }
    WakeAllConditionVariable(&work.wake);
}

static void WalkPictureFolder(SlideshowWork& work)
{
    const SlideshowChoice& choice = work.choice;
    FolderWalk walk(choice.folder, choice.includeSubfolders, DecodablePictureExtensions());
    auto list = [&work](const std::string& folder, const FolderEntryBatch& take) {
        // A stop ends a listing within a batch.
        if (work.stop.load()) {
            return FolderListing::Failed;
        }
        return work.files.list(folder, [&](const std::vector<FolderEntry>& entries) {
            return !work.stop.load() && take(entries);
        });
    };
    FolderPictureCache cache = CacheOf(work);
    if (work.choice.fillsCache) {
        // Before the walk's first listing: under Wine, a listing of the cache
        // folder would wait for as long as a share keeps that one.
        (void)cache.Open();
    }
    std::vector<FolderPicture> listed;
    auto found = [&](const std::vector<FolderPicture>& pictures) {
        if (cache.Enabled()) {
            listed.insert(listed.end(), pictures.begin(), pictures.end());
        }
        HandOver(work, pictures);
    };
    while (!work.stop.load()) {
        if (walk.Step(list, NowMilliseconds(), found)) {
            continue;
        }
        // A walk a limit cut short says nothing of the pictures beyond it.
        const bool whole = walk.Complete() && !walk.CutShort();
        if (whole) {
            // Before the decoding thread hears of it, so that copies of
            // pictures gone from the folder are off the disk too by then.
            cache.Listed(listed);
        }
        // Only folders that could not be listed are left: the show goes on
        // with what was found while they wait for their next try.
        SetWalkState(work, false, walk.Complete(), whole);
        if (walk.Complete() || !SleepUntil(work, walk.NextRetry())) {
            return;
        }
    }
}

DWORD WINAPI WalkThread(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<SlideshowWork>> held(static_cast<std::shared_ptr<SlideshowWork>*>(parameter));
    SlideshowWork& work = **held;
    try {
        WalkPictureFolder(work);
    } catch (const std::bad_alloc&) {
        // A huge tree on a machine short of memory: the show goes on with
        // what was found, which is not the whole folder.
        SetWalkState(work, false, true, false);
    }
    return 0;
}

// ---- The decoding thread ----

// What the decoding thread learns from the others each time it looks.
struct LoaderView {
    int slot = -1;  // the lowest slot waiting for a picture; -1 once the show stops
    PictureShape shape = PictureShape::Unknown;  // its monitor's
    bool walking = true;
    bool walkEnded = false;
    bool walkWhole = false;
};

// The protocol with the other threads, in one place:
//   - the decoding thread waits here, under the lock, for a slot that wants
//     a picture (the drawing side sets `wanted` once it has taken the last);
//   - while the table has nothing to give (`starved`), it waits for news as
//     well: new finds, a change of the walk's state, or `retryAt`, when a
//     failing picture may be tried again;
//   - it leaves with the finds that came (`arrived`) and the walk's state,
//     and decodes with the lock let go; Deliver then fills the slot.
// A stop wakes it at once and gives slot -1.
static LoaderView WaitForWork(SlideshowWork& work, bool starved, uint64_t retryAt, const LoaderView& last,
                              std::vector<FolderPicture>& arrived)
{
    WorkLock locked(work);
    LoaderView view;
    for (;;) {
        if (work.stop.load()) {
            view.slot = -1;
            return view;
        }
        view.slot = -1;
        for (size_t i = 0; i < work.slots.size() && view.slot < 0; ++i) {
            const SlideshowWork::Slot& slot = work.slots[i];
            if (slot.wanted && !slot.ready && !slot.finished) {
                view.slot = static_cast<int>(i);
                view.shape = slot.shape;
            }
        }
        view.walking = work.walking;
        view.walkEnded = work.walkEnded;
        view.walkWhole = work.walkWhole;
        const bool news = !work.found.empty() || view.walking != last.walking || view.walkEnded != last.walkEnded ||
                          NowMilliseconds() >= retryAt;
        if (view.slot >= 0 && (!starved || news)) {
            arrived.swap(work.found);
            return view;
        }
        locked.Sleep(starved ? MillisecondsUntil(retryAt) : INFINITE);
    }
}

static void Deliver(SlideshowWork& work, int slotIndex, DecodedPicture& picture, std::string& path, bool builtIn,
                    bool finished)
{
    // Made here, off the drawing thread, while the lock is free.
    std::string caption = path.empty() ? std::string() : CaptionOfDecoded(work.choice.folder, path, picture);
    {
        WorkLock locked(work);
        SlideshowWork::Slot& slot = work.slots[static_cast<size_t>(slotIndex)];
        // Moves only: nothing here allocates.
        slot.wanted = false;
        slot.picture = std::move(picture);
        slot.path.swap(path);
        slot.caption.swap(caption);
        slot.ready = !slot.path.empty() || builtIn;
        slot.builtIn = builtIn;
        slot.finished = finished;
    }
    // For AwaitFirstPictures; the frames look without waiting.
    WakeAllConditionVariable(&work.wake);
}

// Reads a picture as the table's CopyUse says (its rules are in
// picture_table.h), and tells the table and the cache what came of it.
static PictureRead ReadForShowing(const SlideshowWork& work, PictureTable& table, FolderPictureCache& cache,
                                  const std::string& path, DecodedPicture& picture)
{
    const CopyUse use = table.CopyOf(path);
    const CachedFileKey* fresh = use.keyed ? &use.key : nullptr;
    PictureShape shape = PictureShape::Unknown;
    if (use.copyFirst && cache.LoadCopy(use.copyPath, nullptr, picture, shape)) {
        table.Decoded(path, shape);
        return PictureRead::Decoded;
    }
    const PictureRead read = work.files.decode(path, work.largestMonitor, work.maxTextureSide, picture);
    switch (read) {
    case PictureRead::Decoded: {
        const bool stored = use.keyed && cache.Decoded(use.key, picture, work.largestMonitor);
        table.Decoded(path, ShapeOfSize(picture.upright.width, picture.upright.height),
                      stored ? use.key.path : std::string());
        return read;
    }
    case PictureRead::Gone:
        cache.Drop(table.Drop(path));
        return read;
    case PictureRead::Failed:
        if (use.fallback && cache.LoadCopy(use.copyPath, fresh, picture, shape)) {
            table.Decoded(path, shape);
            return PictureRead::Decoded;
        }
        table.Skip(path, NowMilliseconds());
        return read;
    }
    return read;
}

// The pictures a monitor's next pick passes over: the other monitors' first,
// then its own, the one it shows last, so that a new round puts the others'
// before its own.
static std::vector<std::string> PicturesOnScreen(const std::vector<std::deque<std::string>>& recent, size_t slot)
{
    std::vector<std::string> avoid;
    for (size_t other = 0; other < recent.size(); ++other) {
        if (other != slot) {
            avoid.insert(avoid.end(), recent[other].begin(), recent[other].end());
        }
    }
    avoid.insert(avoid.end(), recent[slot].begin(), recent[slot].end());
    return avoid;
}

// The next picture for a slot, decoded; "" when none can be given now. False
// once stopped.
static bool PickAndRead(SlideshowWork& work, PictureTable& table, FolderPictureCache& cache,
                        const std::deque<std::string>& own, const std::vector<std::string>& avoid,
                        PictureShape shape, int& failuresInARow, std::string& path, DecodedPicture& picture)
{
    while (!work.stop.load()) {
        path = table.Next(avoid, NowMilliseconds(), shape);
        // Nothing to pick now, or nothing but what this monitor shows already.
        if (path.empty() || (!own.empty() && PathKey(path) == PathKey(own.back()))) {
            path.clear();
            return true;
        }
        const PictureRead read = ReadForShowing(work, table, cache, path, picture);
        if (read == PictureRead::Decoded) {
            failuresInARow = 0;
            // Its shape was not known when it was picked: another that fits
            // the monitor comes instead where the folder has one.
            const PictureShape decoded = ShapeOfSize(picture.upright.width, picture.upright.height);
            if (shape != PictureShape::Unknown && decoded != PictureShape::Unknown && decoded != shape &&
                table.HasShape(shape, avoid, NowMilliseconds())) {
                table.PutBack(path);
                continue;
            }
            return true;
        }
        path.clear();
        // A gone picture is no sign of a share away: only failures count.
        // Every file failing in turn most likely is one: the tries slow down
        // instead of running through the whole folder.
        if (read == PictureRead::Failed && ++failuresInARow >= 3 &&
            !SleepUntil(work, NowMilliseconds() + RetryDelayMilliseconds(failuresInARow - 2))) {
            return false;
        }
    }
    return false;
}

static void ShowPictures(SlideshowWork& work)
{
    std::random_device randomDevice;
    PictureTable table(work.choice.previous, randomDevice());
    if (work.choice.folder.empty() && work.choice.file.find_first_not_of(' ') != std::string::npos) {
        table.Found({{work.choice.file, false}});
    }
    FolderPictureCache cache = CacheOf(work);
    table.Cached(cache.CachedPictures());
    // Per slot the picture it shows and the one coming, oldest first.
    std::vector<std::deque<std::string>> recent(work.slots.size());
    std::vector<bool> builtInShown(work.slots.size(), false);
    std::vector<FolderPicture> arrived;
    LoaderView view;
    bool starved = false;
    int failuresInARow = 0;
    for (;;) {
        view = WaitForWork(work, starved, table.NextRetry(), view, arrived);
        if (view.slot < 0) {
            return;
        }
        table.Found(arrived);
        arrived.clear();
        table.WalkState(view.walking, view.walkEnded, view.walkWhole);
        const size_t slot = static_cast<size_t>(view.slot);
        std::deque<std::string>& own = recent[slot];
        DecodedPicture picture;
        std::string path;
        if (!PickAndRead(work, table, cache, own, PicturesOnScreen(recent, slot), view.shape, failuresInARow, path,
                         picture)) {
            return;
        }
        starved = path.empty();
        if (!starved) {
            own.push_back(path);
            if (own.size() > 2) {
                own.pop_front();
            }
            Deliver(work, view.slot, picture, path, false, false);
            continue;
        }
        const bool nothingMoreComes = !view.walking && view.walkEnded && table.NextRetry() == UINT64_MAX;
        const bool showBuiltIn = own.empty() && !builtInShown[slot] && !view.walking;
        if (showBuiltIn || nothingMoreComes) {
            builtInShown[slot] = builtInShown[slot] || showBuiltIn;
            Deliver(work, view.slot, picture, path, showBuiltIn, nothingMoreComes);
            starved = false;
        }
    }
}

DWORD WINAPI DecodeThread(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<SlideshowWork>> held(static_cast<std::shared_ptr<SlideshowWork>*>(parameter));
    SlideshowWork& work = **held;
    // The imaging component and the OLE picture loader are COM objects made
    // on this thread and used only here; a thread that pumps no messages
    // belongs in the multithreaded apartment, where no codec can wait for
    // a message loop.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    try {
        ShowPictures(work);
    } catch (const std::bad_alloc&) {
        // A huge tree on a machine short of memory: the saver goes on with
        // what it has instead of ending the whole process from this thread.
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}
