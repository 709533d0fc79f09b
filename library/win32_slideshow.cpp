#include "library/win32_slideshow.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <iterator>
#include <new>
#include <random>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "clock/win32_clock.h"
#include "picture/picture_pixels.h"
#include "library/slideshow.h"
#include "library/win32_picture_cache.h"
#include "picture/win32_picture_decoder.h"
#include "picture/win32_picture_formats.h"
#include "picture/win32_picture_textures.h"
#include "res/resource.h"
#include "text/ascii_case.h"
#include "text/win32_wide.h"

// Shared by the drawing thread and the slideshow's threads; every field below
// the lock is guarded by it.
struct SlideshowWork {
    SlideshowChoice choice;
    SlideshowFiles files;
    PixelSize largestMonitor = {0, 0};
    int maxTextureSide = 0;
    // Read by the listing and between decodes without the lock.
    std::atomic<bool> stop{false};

    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    std::vector<FolderPicture> found;  // the walk's finds the order has not taken yet
    bool walking = false;              // the walk has folders to list now
    bool walkComplete = true;          // and none waiting to be tried again
    struct Slot {
        bool wanted = true;     // the drawing side takes this monitor's next picture
        bool ready = false;     // it is in `picture`
        bool builtIn = false;   // nothing could be decoded yet: the built-in picture instead
        bool finished = false;  // nothing else will come
        DecodedPicture picture; // red, green, blue, alpha, rows bottom-up
        std::string path;
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

static uint64_t NowMilliseconds()
{
    return PerformanceCounterMicroseconds() / 1000;
}

static DWORD MillisecondsUntil(uint64_t at)
{
    const uint64_t now = NowMilliseconds();
    return at == UINT64_MAX ? INFINITE : at <= now ? 0 : static_cast<DWORD>(std::min<uint64_t>(at - now, 60000));
}

// Waits until `at` (UINT64_MAX: for ever) or the stop; false once stopped.
static bool SleepUntil(SlideshowWork& work, uint64_t at)
{
    WorkLock locked(work);
    while (!work.stop.load() && NowMilliseconds() < at) {
        locked.Sleep(MillisecondsUntil(at));
    }
    return !work.stop.load();
}

// ---- The files on the disks ----

static std::string FolderPattern(const std::string& folder)
{
    const bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return endsInSeparator ? folder + "*" : folder + "\\*";
}

// Hands the entries on every few dozen, so that a large folder's first
// pictures need not wait for the rest, and a stop ends the listing soon. A listing cut short by an error other
// than its end (a share that went away) counts as failed.
static bool ListFolder(const std::string& folder, const FolderEntryBatch& take)
{
    WIN32_FIND_DATAW found;
    // The basic information leaves out the short 8.3 names, which a large
    // folder on a network share would otherwise send as well.
    const HANDLE search = FindFirstFileExW(WidePath(FolderPattern(folder)).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Closed however the listing ends, a failed allocation included.
    const std::unique_ptr<void, BOOL (*)(HANDLE)> closer(search, FindClose);
    const size_t batchSize = 64;
    std::vector<FolderEntry> entries;
    bool more = true;
    DWORD end = ERROR_SUCCESS;
    while (more) {
        const bool reparse = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back({Utf8FromWide(found.cFileName), found.dwFileAttributes, reparse ? found.dwReserved0 : 0,
                           (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                           (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                               found.ftLastWriteTime.dwLowDateTime});
        more = FindNextFileW(search, &found) != FALSE;
        end = more ? ERROR_SUCCESS : GetLastError();
        if (entries.size() >= batchSize || !more) {
            if (!take(entries)) {
                return false;
            }
            entries.clear();
        }
    }
    return end == ERROR_NO_MORE_FILES;
}

static bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

static PictureRead ReadPictureFile(const std::string& path, PixelSize largestMonitor, int maxTextureSide,
                                   DecodedPicture& picture)
{
    const std::wstring widePath = WidePath(path);
    if (DecodeAnyPictureFile(widePath.c_str(), largestMonitor, maxTextureSide, picture) == PictureDecode::Decoded) {
        // Turned into what the upload takes here, not on the drawing thread.
        BgrxToRgba(picture.pixels.get(), static_cast<size_t>(picture.size.width) * picture.size.height);
        return PictureRead::Decoded;
    }
    // Gone only when its folder answers: a share that went away is not a
    // deleted picture.
    const bool missing = GetFileAttributesW(widePath.c_str()) == INVALID_FILE_ATTRIBUTES &&
                         GetLastError() == ERROR_FILE_NOT_FOUND;
    return missing && FolderExists(FolderOfPath(path)) ? PictureRead::Gone : PictureRead::Failed;
}

SlideshowFiles DiskSlideshowFiles()
{
    return {ListFolder, ReadPictureFile};
}

// ---- The walk's thread ----

// Where a listing's finds arrive: handed to the order's thread in one move.
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

static void SetWalkState(SlideshowWork& work, bool walking, bool complete)
{
    {
        WorkLock locked(work);
        work.walking = walking;
        work.walkComplete = complete;
    }
    WakeAllConditionVariable(&work.wake);
}

// The user's cache of the chosen folder's pictures; unused for a single file.
static FolderPictureCache CacheOf(const SlideshowWork& work)
{
    const SlideshowChoice& choice = work.choice;
    const uint64_t capBytes = static_cast<uint64_t>(std::max(choice.cacheMegabytes, 0)) << 20;
    return FolderPictureCache(choice.folder, choice.includeSubfolders, capBytes, choice.fillsCache);
}

static void WalkPictureFolder(SlideshowWork& work)
{
    const SlideshowChoice& choice = work.choice;
    FolderWalk walk(choice.folder, choice.includeSubfolders, DecodablePictureExtensions());
    auto list = [&work](const std::string& folder, const FolderEntryBatch& take) {
        // A stop ends a listing within a batch.
        return !work.stop.load() && work.files.list(folder, [&](const std::vector<FolderEntry>& entries) {
            return !work.stop.load() && take(entries);
        });
    };
    FolderPictureCache cache = CacheOf(work);
    if (work.choice.fillsCache) {
        // Before the walk's first listing: under Wine, a listing of the cache
        // folder would wait for as long as a share keeps that one.
        cache.Open();
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
        if (walk.Complete()) {
            // Before the order hears of it, so that copies of pictures gone
            // from the folder are off the disk too by then.
            cache.Listed(listed);
        }
        // Only folders that could not be listed are left: the show goes on
        // with what was found while they wait for their next try.
        SetWalkState(work, false, walk.Complete());
        if (walk.Complete() || !SleepUntil(work, walk.NextRetry())) {
            return;
        }
    }
}

static DWORD WINAPI WalkThread(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<SlideshowWork>> held(static_cast<std::shared_ptr<SlideshowWork>*>(parameter));
    SlideshowWork& work = **held;
    try {
        WalkPictureFolder(work);
    } catch (const std::bad_alloc&) {
        // A huge tree on a machine short of memory: the show goes on with
        // what was found.
    }
    SetWalkState(work, false, true);
    return 0;
}

// ---- The decoding thread ----

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

// What the decoding thread learns from the others each time it looks.
struct LoaderView {
    int slot = -1;  // the lowest slot waiting for a picture; -1 once the show stops
    bool walking = false;
    bool walkComplete = true;
};

// Waits for a slot that wants a picture and, while the order has nothing to
// give (`starved`), for news too: new finds, the walk's end, or `retryAt`.
// Takes the finds that came into `arrived`.
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
            }
        }
        view.walking = work.walking;
        view.walkComplete = work.walkComplete;
        const bool news = !work.found.empty() || view.walking != last.walking ||
                          view.walkComplete != last.walkComplete || NowMilliseconds() >= retryAt;
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
    WorkLock locked(work);
    SlideshowWork::Slot& slot = work.slots[static_cast<size_t>(slotIndex)];
    // Moves only: nothing here allocates.
    slot.wanted = false;
    slot.picture = std::move(picture);
    slot.path.swap(path);
    slot.ready = !slot.path.empty() || builtIn;
    slot.builtIn = builtIn;
    slot.finished = finished;
}

// The cached copies the decoding thread may show instead of their files.
struct CopiesToShow {
    FolderPictureCache cache;
    std::unordered_map<std::string, std::string> paths;  // those with a copy: lower case to as found
    bool folderAnswered = false;  // the walk has found pictures, or finished
    // What the walk found (lower case), as the listing gave it: a copy is
    // stored under that key.
    std::unordered_map<std::string, CachedFileKey> listed;
};

// Until the folder answers, and for a picture that cannot be read now (its
// share away), the copy; otherwise the file, stored as a copy once decoded.
static bool LoadCopy(CopiesToShow& copies, const std::string& path, DecodedPicture& picture)
{
    return copies.paths.count(AsciiLowerCase(path)) != 0 && copies.cache.LoadCopy(path, picture);
}

// The one place a picture is decoded for showing.
static PictureRead DecodeForShowing(const SlideshowWork& work, CopiesToShow& copies, const std::string& path,
                                    DecodedPicture& picture)
{
    if (!copies.folderAnswered && LoadCopy(copies, path, picture)) {
        return PictureRead::Decoded;
    }
    const PictureRead read = work.files.decode(path, work.largestMonitor, work.maxTextureSide, picture);
    const auto listed = copies.listed.find(AsciiLowerCase(path));
    if (read == PictureRead::Decoded) {
        if (listed != copies.listed.end()) {
            copies.cache.Decoded(listed->second, picture, work.largestMonitor);
            // Shown from the copy should the share go away later in the run.
            copies.paths.emplace(listed->first, path);
        }
    } else if (read == PictureRead::Gone) {
        copies.cache.Drop(path);
        copies.paths.erase(AsciiLowerCase(path));
    } else if (LoadCopy(copies, path, picture)) {
        return PictureRead::Decoded;
    }
    return read;
}

// The copies shown until the folder answers join the order first; once the
// walk has listed the whole folder, those it did not find are gone.
static void FollowTheWalk(CopiesToShow& copies, SlideOrder& order, const std::vector<FolderPicture>& arrived,
                          const LoaderView& view)
{
    if (!copies.cache.Enabled()) {
        return;
    }
    copies.folderAnswered = copies.folderAnswered || !arrived.empty() || view.walkComplete;
    for (const FolderPicture& picture : arrived) {
        copies.listed[AsciiLowerCase(picture.path)] = {picture.path, picture.fileSize, picture.modified};
    }
    if (view.walking || !view.walkComplete) {
        return;
    }
    for (auto copy = copies.paths.begin(); copy != copies.paths.end();) {
        if (copies.listed.count(copy->first) == 0) {
            order.Drop(copy->second);
            copy = copies.paths.erase(copy);
        } else {
            ++copy;
        }
    }
}

static void ShowPictures(SlideshowWork& work)
{
    std::random_device randomDevice;
    SlideOrder order(work.choice.previous, randomDevice());
    if (work.choice.folder.empty() && work.choice.file.find_first_not_of(' ') != std::string::npos) {
        order.Add({{work.choice.file, false}});
    }
    CopiesToShow copies = {CacheOf(work), {}, false, {}};
    const std::vector<FolderPicture> cached = copies.cache.CachedPictures();
    for (const FolderPicture& picture : cached) {
        copies.paths.emplace(AsciiLowerCase(picture.path), picture.path);
    }
    order.Add(cached);
    // Per slot the picture it shows and the one coming, oldest first.
    std::vector<std::deque<std::string>> recent(work.slots.size());
    std::vector<bool> builtInShown(work.slots.size(), false);
    std::vector<FolderPicture> arrived;
    LoaderView view;
    view.walking = true;
    view.walkComplete = false;
    bool starved = false;
    int failuresInARow = 0;
    for (;;) {
        view = WaitForWork(work, starved, order.NextRetry(), view, arrived);
        if (view.slot < 0) {
            return;
        }
        order.Add(arrived);
        FollowTheWalk(copies, order, arrived, view);
        arrived.clear();
        order.SetMoreComing(view.walking);
        const size_t slot = static_cast<size_t>(view.slot);
        std::deque<std::string>& own = recent[slot];
        const std::vector<std::string> avoid = PicturesOnScreen(recent, slot);
        DecodedPicture picture;
        std::string path;
        while (!work.stop.load()) {
            path = order.Next(avoid, NowMilliseconds());
            // Nothing to pick now, or nothing but what this monitor shows already.
            if (path.empty() || (!own.empty() && path == own.back())) {
                path.clear();
                break;
            }
            const PictureRead read = DecodeForShowing(work, copies, path, picture);
            if (read == PictureRead::Decoded) {
                failuresInARow = 0;
                break;
            }
            if (read == PictureRead::Gone) {
                order.Drop(path);
                path.clear();
                continue;
            }
            order.Skip(path, NowMilliseconds());
            path.clear();
            // Every file failing in turn is most likely a share that went
            // away: the tries slow down instead of running through the
            // whole folder.
            if (++failuresInARow >= 3 &&
                !SleepUntil(work, NowMilliseconds() + RetryDelayMilliseconds(failuresInARow - 2))) {
                return;
            }
        }
        if (work.stop.load()) {
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
        const bool nothingMoreComes = !view.walking && view.walkComplete && order.NextRetry() == UINT64_MAX;
        const bool showBuiltIn = own.empty() && !builtInShown[slot] && !view.walking;
        if (showBuiltIn || nothingMoreComes) {
            builtInShown[slot] = builtInShown[slot] || showBuiltIn;
            Deliver(work, view.slot, picture, path, showBuiltIn, nothingMoreComes);
            starved = false;
        }
    }
}

static DWORD WINAPI DecodeThread(LPVOID parameter)
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

// ---- The drawing side ----

// One monitor's pictures on the drawing side.
struct SlideshowScreen {
    explicit SlideshowScreen(uint32_t slideMilliseconds) : timeline(slideMilliseconds) {}

    SlideTimeline timeline;
    GLuint shown = 0;
    GLuint incoming = 0;
    // The texture of the picture shown before, kept for the next one of its
    // size: making a new texture of a large picture makes a frame late.
    GLuint spare = 0;
    PixelSize spareSize = {0, 0};
    PixelSize shownSize = {0, 0};
    PixelSize incomingSize = {0, 0};
    // The pictures' own sizes, upright, where the textures' sizes are powers
    // of two.
    PixelSize shownPicture = {0, 0};
    PixelSize incomingPicture = {0, 0};
    std::string shownPath;
    std::string incomingPath;
    DecodedPicture uploading;  // pixels on their way into `incoming`
    int uploadedRows = 0;
    bool incomingReady = false;  // wholly uploaded
    bool fading = false;
};

Slideshow::Slideshow() = default;

Slideshow::~Slideshow()
{
    Stop();
    JoinThreads();
}

static GLuint NewTexture(int width, int height, const void* pixels)
{
    GLuint texture = 0;
    CreateTexture(&texture, GL_RGBA, width, height, GL_RGBA, pixels);
    return texture;
}

void Slideshow::Start(const SlideshowChoice& choice, PixelSize largestMonitor, const SlideshowFiles& files)
{
    Stop();
    const int pictureCount = choice.monitors > 0 ? choice.monitors : 1;
    work = std::make_shared<SlideshowWork>();
    work->choice = choice;
    work->files = files;
    work->largestMonitor = largestMonitor;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &work->maxTextureSide);
    work->slots.resize(static_cast<size_t>(pictureCount));
    const bool walks = !choice.folder.empty();
    work->walking = walks;
    work->walkComplete = !walks;

    static const uint8_t blackPixel[4] = {0, 0, 0, 255};
    black = NewTexture(1, 1, blackPixel);
    screens.clear();
    for (int i = 0; i < pictureCount; ++i) {
        screens.emplace_back(choice.slideSeconds * 1000);
        screens.back().shown = black;
    }
    changesAfterFirst = choice.slideSeconds != 0;
    firstPictureShownAt = 0;
    std::vector<LPTHREAD_START_ROUTINE> routines = {DecodeThread};
    if (walks) {
        routines.push_back(WalkThread);
    }
    for (LPTHREAD_START_ROUTINE routine : routines) {
        auto* held = new std::shared_ptr<SlideshowWork>(work);
        const HANDLE thread = CreateThread(nullptr, 0, routine, held, 0, nullptr);
        if (thread == nullptr) {
            delete held;
            continue;
        }
        // Reading and decoding wait their turn behind the frames where the
        // system schedules by priority.
        (void)SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
        threads.push_back(thread);
    }
    // Without the walk's thread nothing would ever be found.
    if (walks && threads.size() < 2) {
        work->walking = false;
        work->walkComplete = true;
    }
}

// Takes the monitor's next picture from the thread when it is there; never
// waits for the lock, which the thread holds only for a moment.
bool Slideshow::TakeDecoded(SlideshowScreen& screen, size_t index)
{
    if (!TryAcquireSRWLockExclusive(&work->lock)) {
        return false;
    }
    SlideshowWork::Slot& slot = work->slots[index];
    const bool ready = slot.ready;
    const bool builtIn = slot.builtIn;
    if (ready) {
        screen.uploading = std::move(slot.picture);
        screen.incomingPath.swap(slot.path);
        slot.path.clear();
        slot.ready = false;
        // The next one is decoded while this one shows.
        slot.wanted = changesAfterFirst;
    }
    ReleaseSRWLockExclusive(&work->lock);
    if (!ready) {
        return false;
    }
    WakeAllConditionVariable(&work->wake);
    screen.uploadedRows = 0;
    if (builtIn) {
        screen.incomingPath.clear();
        screen.incomingSize = {0, 0};
        screen.incomingReady = LoadTextureFromResource(&screen.incoming, IDB_BUILTIN_PICTURE) != FALSE;
        screen.incomingPicture = screen.incomingReady ? BoundTextureSize() : PixelSize{0, 0};
        return true;
    }
    const PixelSize size = screen.uploading.size;
    screen.incomingSize = size;
    screen.incomingPicture = screen.uploading.upright;
    if (screen.spare != 0 && screen.spareSize.width == size.width && screen.spareSize.height == size.height) {
        screen.incoming = screen.spare;
    } else {
        if (screen.spare != 0) {
            glDeleteTextures(1, &screen.spare);
        }
        screen.incoming = NewTexture(size.width, size.height, nullptr);
    }
    screen.spare = 0;
    return true;
}

// As many rows as the frame can spare; all of them while the monitor shows
// only black water, where a late frame shows nothing but the waves.
void Slideshow::Upload(SlideshowScreen& screen)
{
    const PixelSize size = screen.uploading.size;
    const size_t rowBytes = static_cast<size_t>(size.width) * 4;
    const int rowsLeft = size.height - screen.uploadedRows;
    const bool onlyBlack = screen.shown == black && !screen.fading;
    const int rows = onlyBlack ? rowsLeft : pacer.Rows(rowBytes, rowsLeft);
    const uint64_t start = PerformanceCounterMicroseconds();
    glBindTexture(GL_TEXTURE_2D, screen.incoming);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, screen.uploadedRows, size.width, rows, GL_RGBA, GL_UNSIGNED_BYTE,
                    screen.uploading.pixels.get() + static_cast<size_t>(screen.uploadedRows) * rowBytes);
    pacer.Uploaded(rowBytes * static_cast<size_t>(rows), PerformanceCounterMicroseconds() - start);
    screen.uploadedRows += rows;
    if (screen.uploadedRows >= size.height) {
        screen.uploading = DecodedPicture();
        screen.incomingReady = true;
    }
}

void Slideshow::Advance(uint64_t nowMicroseconds)
{
    now = nowMicroseconds / 1000;
    if (work == nullptr) {
        return;
    }
    pacer.FrameStarted(nowMicroseconds);
    // One upload a frame in all, whichever monitor it is for.
    bool uploaded = false;
    for (size_t i = 0; i < screens.size(); ++i) {
        SlideshowScreen& screen = screens[i];
        if (screen.fading && screen.timeline.Fade(now) >= 1.0f) {
            if (screen.shown != black) {
                if (screen.spare != 0) {
                    glDeleteTextures(1, &screen.spare);
                }
                screen.spare = screen.shown;
                screen.spareSize = screen.shownSize;
            }
            screen.shown = screen.incoming;
            screen.shownSize = screen.incomingSize;
            screen.shownPicture = screen.incomingPicture;
            screen.shownPath = std::move(screen.incomingPath);
            screen.incoming = 0;
            screen.incomingPath.clear();
            screen.incomingReady = false;
            screen.fading = false;
            if (i == 0 && firstPictureShownAt == 0) {
                firstPictureShownAt = nowMicroseconds;
            }
        }
        const bool uploadUnderWay = screen.uploading.pixels != nullptr;
        if (!uploaded && screen.incoming == 0 && !screen.fading) {
            uploaded = TakeDecoded(screen, i);
        }
        if (!uploaded && uploadUnderWay) {
            Upload(screen);
            uploaded = true;
        }
        if (screen.incomingReady && !screen.fading && screen.timeline.ChangeDue(now)) {
            screen.timeline.StartChange(now);
            screen.fading = true;
            ++changesStarted;
        }
    }
}

void Slideshow::ShowOn(int monitor, ShownPictures& pictures) const
{
    if (screens.empty()) {
        return;
    }
    const SlideshowScreen& screen = screens[static_cast<size_t>(monitor) % screens.size()];
    pictures.texture = screen.shown;
    pictures.size = screen.shownPicture;
    pictures.incomingTexture = screen.fading ? screen.incoming : 0;
    pictures.incomingSize = screen.fading ? screen.incomingPicture : PixelSize{0, 0};
    pictures.fade = screen.fading ? screen.timeline.Fade(now) : 0.0f;
}

std::string Slideshow::ShownPicture() const
{
    if (screens.empty()) {
        return std::string();
    }
    const SlideshowScreen& screen = screens.front();
    return screen.fading ? screen.incomingPath : screen.shownPath;
}

void Slideshow::Stop()
{
    if (work != nullptr && !threads.empty()) {
        work->stop.store(true);
        // Taken once, so that a thread about to sleep has either seen the stop
        // or is asleep and gets the wake.
        { WorkLock locked(*work); }
        WakeAllConditionVariable(&work->wake);
        stopping.push_back({std::move(threads), std::move(work)});
        threads.clear();
    }
    if (wglGetCurrentContext() != nullptr) {
        for (SlideshowScreen& screen : screens) {
            for (GLuint texture : {screen.shown, screen.incoming, screen.spare}) {
                if (texture != 0 && texture != black) {
                    glDeleteTextures(1, &texture);
                }
            }
        }
        if (black != 0) {
            glDeleteTextures(1, &black);
        }
    }
    screens.clear();
    black = 0;
    work.reset();
}

void Slideshow::JoinThreads()
{
    const uint64_t giveUpAt = PerformanceCounterMicroseconds() + 1000000;
    for (Stopping& stopped : stopping) {
        for (HANDLE thread : stopped.threads) {
            // A folder on a sleeping disk or a lost network share can hold a
            // listing for many seconds: its pending I/O is cancelled until
            // the thread notices the stop, or the time is up.
            while (WaitForSingleObject(thread, 20) == WAIT_TIMEOUT && PerformanceCounterMicroseconds() < giveUpAt) {
                (void)CancelSynchronousIo(thread);
            }
            (void)CloseHandle(thread);
        }
    }
    stopping.clear();
}
