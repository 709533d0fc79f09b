#include "picture/win32_slideshow.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <new>
#include <random>
#include <utility>

#include "picture/picture_pixels.h"
#include "picture/slideshow.h"
#include "picture/win32_picture_decoder.h"
#include "picture/win32_picture_formats.h"
#include "picture/win32_picture_textures.h"
#include "render/win32_scene.h"
#include "res/resource.h"
#include "text/win32_wide.h"
#include "water/win32_water_surface.h"

// Shared by the drawing thread and the slideshow's thread; every field below
// the lock is guarded by it.
struct SlideshowWork {
    SlideshowChoice choice;
    PixelSize largestMonitor = {0, 0};
    int maxTextureSide = 0;
    // Read by the listing and between decodes without the lock.
    std::atomic<bool> stop{false};

    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    struct Slot {
        bool wanted = true;     // the drawing side takes this monitor's next picture
        bool ready = false;     // it is in `picture`
        bool builtIn = false;   // no picture could be decoded: the built-in one instead
        bool finished = false;  // nothing else will come
        DecodedPicture picture; // red, green, blue, alpha, rows bottom-up
        std::string path;
    };
    std::vector<Slot> slots;
};

// One monitor's pictures on the drawing side.
struct SlideshowScreen {
    explicit SlideshowScreen(uint32_t slideMilliseconds) : timeline(slideMilliseconds) {}

    SlideTimeline timeline;
    GLuint shown = 0;
    GLuint incoming = 0;
    std::string shownPath;
    std::string incomingPath;
    DecodedPicture uploading;  // pixels on their way into `incoming`
    int uploadedRows = 0;
    bool incomingReady = false;  // wholly uploaded
    bool fading = false;
};

// ---- The slideshow's thread ----

static std::string FolderPattern(const std::string& folder)
{
    const bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return endsInSeparator ? folder + "*" : folder + "\\*";
}

static bool ListFolder(const std::atomic<bool>& stop, const std::string& folder, std::vector<FolderEntry>& entries)
{
    WIN32_FIND_DATAW found;
    // The basic information leaves out the short 8.3 names, which a large
    // folder on a network share would otherwise send as well.
    const HANDLE search = FindFirstFileExW(WidePath(FolderPattern(folder)).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        const bool reparse = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back({Utf8FromWide(found.cFileName), found.dwFileAttributes, reparse ? found.dwReserved0 : 0});
    } while (!stop.load() && FindNextFileW(search, &found));
    (void)FindClose(search);
    return true;
}

static std::vector<FolderPicture> PicturesToShow(const SlideshowWork& work, const std::vector<std::string>& extensions)
{
    const SlideshowChoice& choice = work.choice;
    if (!choice.folder.empty()) {
        auto list = [&work](const std::string& folder, std::vector<FolderEntry>& entries) {
            return ListFolder(work.stop, folder, entries);
        };
        return FindFolderPictures(choice.folder, choice.includeSubfolders, extensions, list, work.stop);
    }
    if (choice.file.find_first_not_of(' ') != std::string::npos) {
        return {{choice.file, false}};
    }
    return {};
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

// The lowest slot waiting for a picture; -1 once the show stops.
static int WaitForWantedSlot(SlideshowWork& work)
{
    AcquireSRWLockExclusive(&work.lock);
    int wanted = -1;
    while (!work.stop.load()) {
        for (size_t i = 0; i < work.slots.size() && wanted < 0; ++i) {
            const SlideshowWork::Slot& slot = work.slots[i];
            if (slot.wanted && !slot.ready && !slot.finished) {
                wanted = static_cast<int>(i);
            }
        }
        if (wanted >= 0) {
            break;
        }
        (void)SleepConditionVariableSRW(&work.wake, &work.lock, INFINITE, 0);
    }
    ReleaseSRWLockExclusive(&work.lock);
    return wanted;
}

static bool Decode(const SlideshowWork& work, const std::string& path, DecodedPicture& picture)
{
    if (DecodeAnyPictureFile(WidePath(path).c_str(), work.largestMonitor, work.maxTextureSide, picture) !=
        PictureDecode::Decoded) {
        return false;
    }
    // Turned into what the upload takes here, not on the drawing thread.
    BgrxToRgba(picture.pixels.get(), static_cast<size_t>(picture.size.width) * picture.size.height);
    return true;
}

static void Deliver(SlideshowWork& work, int slotIndex, DecodedPicture& picture, const std::string& path,
                    bool nothingShownYet)
{
    AcquireSRWLockExclusive(&work.lock);
    SlideshowWork::Slot& slot = work.slots[static_cast<size_t>(slotIndex)];
    slot.wanted = false;
    if (!path.empty()) {
        slot.picture = std::move(picture);
        slot.path = path;
        slot.ready = true;
    } else if (nothingShownYet) {
        slot.builtIn = true;
        slot.ready = true;
        slot.finished = true;
    } else {
        slot.finished = true;
    }
    ReleaseSRWLockExclusive(&work.lock);
}

static void ShowPictures(SlideshowWork& work)
{
    const std::vector<FolderPicture> pictures = PicturesToShow(work, DecodablePictureExtensions());
    std::random_device randomDevice;
    SlideOrder order(pictures, work.choice.previous, randomDevice());
    // Per slot the picture it shows and the one coming, oldest first.
    std::vector<std::deque<std::string>> recent(work.slots.size());
    for (;;) {
        const int slot = WaitForWantedSlot(work);
        if (slot < 0) {
            return;
        }
        std::deque<std::string>& own = recent[static_cast<size_t>(slot)];
        const std::vector<std::string> avoid = PicturesOnScreen(recent, static_cast<size_t>(slot));
        DecodedPicture picture;
        std::string path;
        while (!work.stop.load()) {
            path = order.Next(avoid);
            // Nothing left, or nothing but what this monitor shows already.
            if (path.empty() || (!own.empty() && path == own.back())) {
                path.clear();
                break;
            }
            if (Decode(work, path, picture)) {
                break;
            }
            // Skipped for the rest of this run.
            order.Drop(path);
            path.clear();
        }
        if (work.stop.load()) {
            return;
        }
        Deliver(work, slot, picture, path, own.empty());
        if (!path.empty()) {
            own.push_back(path);
            if (own.size() > 2) {
                own.pop_front();
            }
        }
    }
}

static DWORD WINAPI SlideshowThread(LPVOID parameter)
{
    SlideshowWork& work = *static_cast<SlideshowWork*>(parameter);
    // The imaging component and the OLE picture loader are COM objects made
    // on this thread and used only here.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
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

void Slideshow::Start(const SlideshowChoice& choice, PixelSize largestMonitor)
{
    Stop();
    const int pictureCount = choice.monitors > 0 ? choice.monitors : 1;
    work.reset(new SlideshowWork());
    work->choice = choice;
    work->largestMonitor = largestMonitor;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &work->maxTextureSide);
    work->slots.resize(static_cast<size_t>(pictureCount));

    static const uint8_t blackPixel[4] = {0, 0, 0, 255};
    black = NewTexture(1, 1, blackPixel);
    screens.clear();
    for (int i = 0; i < pictureCount; ++i) {
        screens.emplace_back(choice.slideSeconds * 1000);
        screens.back().shown = black;
    }
    changesAfterFirst = choice.slideSeconds != 0;
    thread = CreateThread(nullptr, 0, SlideshowThread, work.get(), 0, nullptr);
    // Decoding waits its turn behind the frames where the system schedules by priority.
    if (thread != nullptr) {
        (void)SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
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
        screen.incomingPath = std::move(slot.path);
        slot.ready = false;
        // The next one is decoded while this one shows.
        slot.wanted = changesAfterFirst;
    }
    ReleaseSRWLockExclusive(&work->lock);
    if (!ready) {
        return false;
    }
    WakeConditionVariable(&work->wake);
    screen.uploadedRows = 0;
    if (builtIn) {
        screen.incomingPath.clear();
        screen.incomingReady = LoadTextureFromResource(&screen.incoming, IDB_BUILTIN_PICTURE) != FALSE;
        return true;
    }
    screen.incoming = NewTexture(screen.uploading.size.width, screen.uploading.size.height, nullptr);
    return true;
}

static void UploadStrip(SlideshowScreen& screen)
{
    const PixelSize size = screen.uploading.size;
    const int rows = std::min(UploadRowsPerFrame(size.width), size.height - screen.uploadedRows);
    glBindTexture(GL_TEXTURE_2D, screen.incoming);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, screen.uploadedRows, size.width, rows, GL_RGBA, GL_UNSIGNED_BYTE,
                    screen.uploading.pixels.get() + static_cast<size_t>(screen.uploadedRows) * size.width * 4);
    screen.uploadedRows += rows;
    if (screen.uploadedRows >= size.height) {
        screen.uploading = DecodedPicture();
        screen.incomingReady = true;
    }
}

void Slideshow::Advance(uint64_t time)
{
    now = time;
    if (work == nullptr) {
        return;
    }
    // One strip a frame in all, whichever monitor it is for.
    bool uploaded = false;
    for (size_t i = 0; i < screens.size(); ++i) {
        SlideshowScreen& screen = screens[i];
        if (screen.fading && screen.timeline.Fade(now) >= 1.0f) {
            if (screen.shown != black) {
                glDeleteTextures(1, &screen.shown);
            }
            screen.shown = screen.incoming;
            screen.shownPath = std::move(screen.incomingPath);
            screen.incoming = 0;
            screen.incomingPath.clear();
            screen.incomingReady = false;
            screen.fading = false;
        }
        const bool uploadUnderWay = screen.uploading.pixels != nullptr;
        if (!uploaded && screen.incoming == 0 && !screen.fading) {
            uploaded = TakeDecoded(screen, i);
        }
        if (!uploaded && uploadUnderWay) {
            UploadStrip(screen);
            uploaded = true;
        }
        if (screen.incomingReady && !screen.fading && screen.timeline.ChangeDue(now)) {
            screen.timeline.StartChange(now);
            screen.fading = true;
            ++changesStarted;
        }
    }
}

void Slideshow::ShowOn(int monitor, WaterSurface& surface) const
{
    if (screens.empty()) {
        return;
    }
    const SlideshowScreen& screen = screens[static_cast<size_t>(monitor) % screens.size()];
    surface.texture = screen.shown;
    surface.incomingTexture = screen.fading ? screen.incoming : 0;
    surface.fade = screen.fading ? screen.timeline.Fade(now) : 0.0f;
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
    if (thread != nullptr) {
        work->stop.store(true);
        // Taken once, so that a thread about to sleep has either seen the stop
        // or is asleep and gets the wake.
        AcquireSRWLockExclusive(&work->lock);
        ReleaseSRWLockExclusive(&work->lock);
        WakeAllConditionVariable(&work->wake);
        stopping.push_back({thread, std::move(work)});
        thread = nullptr;
    }
    if (wglGetCurrentContext() != nullptr) {
        for (SlideshowScreen& screen : screens) {
            for (GLuint texture : {screen.shown, screen.incoming}) {
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
    for (Stopping& stopped : stopping) {
        // A folder on a sleeping disk or a lost network share can hold a
        // listing for many seconds: its pending I/O is cancelled until the
        // thread notices the stop.
        while (WaitForSingleObject(stopped.thread, 20) == WAIT_TIMEOUT) {
            (void)CancelSynchronousIo(stopped.thread);
        }
        (void)CloseHandle(stopped.thread);
    }
    stopping.clear();
}

void SlideshowFeed::Update(float /*time*/)
{
    show.Advance(PerformanceCounterMicroseconds() / 1000);
    for (const Target& target : targets) {
        show.ShowOn(target.monitor, *target.surface);
    }
}
