// The drawing side of a slideshow: its threads' start and stop, and each
// monitor's textures, uploads and crossfades.
#include "library/win32_slideshow.h"

#include <algorithm>
#include <utility>

#include "clock/win32_clock.h"
#include "library/win32_slideshow_work.h"
#include "picture/win32_picture_textures.h"
#include "res/resource.h"

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
    std::string shownCaption;
    std::string incomingCaption;
    uint32_t shownNumber = 0;  // counts the monitor's pictures, for the caption's place
    DecodedPicture uploading;  // pixels on their way into `incoming`
    int uploadedRows = 0;
    bool incomingReady = false;  // wholly uploaded
    bool fading = false;
};

Slideshow::Slideshow() = default;

// The shapes of the monitors, slot by slot; a slot beyond them takes any.
static void SetShapes(SlideshowWork& work, const std::vector<PictureShape>& shapes)
{
    for (size_t i = 0; i < work.slots.size(); ++i) {
        work.slots[i].shape = i < shapes.size() ? shapes[i] : PictureShape::Unknown;
    }
}

void Slideshow::SetMonitorShapes(const std::vector<PictureShape>& shapes)
{
    if (work == nullptr) {
        return;
    }
    // The pictures already coming keep their turn; the next ones follow.
    WorkLock locked(*work);
    SetShapes(*work, shapes);
}

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

// The largest texture side the rendering context takes; before there is a
// context, the side every OpenGL on Windows takes, Microsoft's own software
// one's.
static int MaxTextureSide()
{
    const GLint everyContextTakes = 1024;
    GLint side = everyContextTakes;
    if (wglGetCurrentContext() != nullptr) {
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    }
    return side;
}

// The black every monitor shows before its first picture, made once there is
// a rendering context.
void Slideshow::MakeBlack()
{
    if (black != 0 || wglGetCurrentContext() == nullptr) {
        return;
    }
    static const uint8_t blackPixel[4] = {0, 0, 0, 255};
    black = NewTexture(1, 1, blackPixel);
    for (SlideshowScreen& screen : screens) {
        if (screen.shown == 0) {
            screen.shown = black;
        }
    }
}

void Slideshow::Start(const SlideshowChoice& choice, PixelSize largestMonitor, const SlideshowFiles& files)
{
    Stop();
    const int pictureCount = choice.monitors > 0 ? choice.monitors : 1;
    work = std::make_shared<SlideshowWork>();
    work->choice = choice;
    work->files = files;
    work->largestMonitor = largestMonitor;
    work->maxTextureSide = MaxTextureSide();
    work->slots.resize(static_cast<size_t>(pictureCount));
    const bool walks = !choice.folder.empty();
    work->walking = walks;
    work->walkEnded = !walks;
    SetShapes(*work, choice.monitorShapes);

    screens.clear();
    for (int i = 0; i < pictureCount; ++i) {
        screens.emplace_back(choice.slideSeconds * 1000);
    }
    MakeBlack();
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
        work->walkEnded = true;
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
        screen.incomingCaption.swap(slot.caption);
        slot.path.clear();
        slot.caption.clear();
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
    MakeBlack();
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
            screen.shownCaption = std::move(screen.incomingCaption);
            ++screen.shownNumber;
            screen.incoming = 0;
            screen.incomingPath.clear();
            screen.incomingCaption.clear();
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

bool Slideshow::AwaitFirstPictures(DWORD milliseconds)
{
    if (work == nullptr || threads.empty()) {
        return true;
    }
    const uint64_t giveUpAt = NowMilliseconds() + milliseconds;
    WorkLock locked(*work);
    for (;;) {
        const bool allCame = std::all_of(work->slots.begin(), work->slots.end(),
                                         [](const SlideshowWork::Slot& slot) { return slot.ready || slot.finished; });
        if (allCame) {
            return true;
        }
        if (NowMilliseconds() >= giveUpAt) {
            return false;
        }
        locked.Sleep(MillisecondsUntil(giveUpAt));
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
    // Assigned in place: the same text again reuses its buffer, so a frame
    // allocates nothing.
    pictures.caption = screen.shownCaption;
    if (screen.fading) {
        pictures.incomingCaption = screen.incomingCaption;
    } else {
        pictures.incomingCaption.clear();
    }
    pictures.pictureNumber = screen.shownNumber;
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
