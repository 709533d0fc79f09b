#include "stage/win32_stage.h"

#include <algorithm>

#include "clock/win32_clock.h"
#include "overlay/win32_monitor_dpi.h"
#include "stage/win32_look.h"

Stage::Stage(const StageChoice& chosen, bool keepsDesktop)
    : choice(chosen),
      monitors(
          keepsDesktop || chosen.source == PictureSource::Desktop,
          [this](const MonitorPart& monitor) { return SurfaceForLook(choice, monitor); },
          [this](const MonitorPart& monitor, const SharedPicture& desktop) { return StillPicture(monitor, desktop); })
{
    // The realistic look shows the desktop where it is, pixel for pixel.
    monitors.CaptureAtMonitorSize(chosen.look == realisticLookChoice);
    monitors.FeedPictures([this](size_t index, ShownPictures& pictures) {
        if (ShowsFiles(choice.source)) {
            slideshow.ShowOn(static_cast<int>(index), pictures);
        }
    });
    auto ownClock = std::make_unique<ClockOverlay>(choice.clockShown, PerformanceCounterMicroseconds,
                                                   static_cast<uint32_t>(PerformanceCounterMicroseconds()));
    clock = ownClock.get();
    monitors.AddOverlay(std::move(ownClock));
    auto captionOverlay = std::make_unique<CaptionOverlay>([this](size_t index) { return monitors.Part(index).piece; });
    captions = captionOverlay.get();
    captions->SetShown(choice.captionsShown);
    monitors.AddOverlay(std::move(captionOverlay));
}

void Stage::LayOut(const std::vector<DisplayMonitor>& shown, const ScreenRect& output, bool fillOutput)
{
    monitors.LayOut(shown, output, fillOutput);
    fillsOutput = fillOutput;
    DarkenOthers();
    if (!shown.empty()) {
        clock->ShowFor(MonitorDpi(shown.front().area), shown.front().area.Height());
    }
    if (choice.source == PictureSource::Folder && choice.monitorPictures) {
        slideshow.SetMonitorShapes(MonitorShapes());
    }
}

size_t Stage::LitMonitors() const
{
    return choice.mainMonitorOnly && !fillsOutput ? std::min<size_t>(1, monitors.Count()) : monitors.Count();
}

void Stage::DarkenOthers()
{
    for (size_t i = 0; i < monitors.Count(); ++i) {
        monitors.SetDark(i, choice.mainMonitorOnly && !fillsOutput && i > 0);
    }
}

Stage::~Stage() = default;

// Picture files come from the slideshow instead, frame by frame.
SharedPicture Stage::StillPicture(const MonitorPart& /*monitor*/, const SharedPicture& desktop)
{
    switch (choice.source) {
    case PictureSource::Desktop:
        return desktop;
    case PictureSource::BuiltIn:
        if (!builtIn) {
            builtIn = LoadStillPicture(nullptr, {0, 0});
        }
        return builtIn;
    case PictureSource::File:
    case PictureSource::Folder:
        return nullptr;
    }
    return nullptr;
}

// Each lit monitor's shape, in the layout's order, as the slideshow matches
// pictures to them.
std::vector<PictureShape> Stage::MonitorShapes() const
{
    std::vector<PictureShape> shapes;
    for (size_t i = 0; i < LitMonitors(); ++i) {
        const ScreenRect& piece = monitors.Part(i).piece;
        shapes.push_back(ShapeOfSize(piece.Width(), piece.Height()));
    }
    if (monitors.Count() == 0 && aheadPiece.Width() > 0) {
        shapes.push_back(ShapeOfSize(aheadPiece.Width(), aheadPiece.Height()));
    }
    return PictureShapesWanted(shapes);
}

// A folder's pictures in turn, or the one chosen file, listed and decoded
// off the drawing thread.
void Stage::StartSlideshow()
{
    SlideshowChoice slides;
    if (choice.source == PictureSource::File) {
        slides.file = choice.file;
    } else {
        slides.folder = choice.folder;
        slides.includeSubfolders = choice.includeSubfolders;
        slides.slideSeconds = choice.slideSeconds;
        slides.previous = choice.lastFolderPicture;
        // A dark monitor needs no pictures of its own.
        slides.monitors = choice.monitorPictures ? static_cast<int>(LitMonitors()) : 1;
        if (choice.monitorPictures) {
            slides.monitorShapes = MonitorShapes();
        }
        slides.cacheMegabytes = choice.cacheMegabytes;
        slides.fillsCache = choice.fillsCache;
    }
    slideshow.Start(slides, pictureSize);
}

void Stage::Start(PixelSize size)
{
    pictureSize = size;
    if (ShowsFiles(choice.source)) {
        StartSlideshow();
    }
}

void Stage::StartAhead(PixelSize size, const ScreenRect& piece)
{
    aheadPiece = piece;
    Start(size);
}

bool Stage::AwaitFirstPictures(DWORD milliseconds)
{
    return !ShowsFiles(choice.source) || slideshow.AwaitFirstPictures(milliseconds);
}

bool Stage::Choose(const StageChoice& next)
{
    const bool newPictures = !SamePictures(choice, next);
    const bool newSurfaces = !SameSurfaces(choice, next);
    choice = next;
    captions->SetShown(choice.captionsShown);
    if (newPictures) {
        slideshow.Stop();
        builtIn.reset();
        monitors.ReloadPictures();
        if (ShowsFiles(choice.source)) {
            StartSlideshow();
        }
    }
    if (newSurfaces) {
        monitors.RemakeSurfaces();
    }
    DarkenOthers();
    clock->Show(choice.clockShown);
    return newSurfaces;
}

void Stage::Update(float time)
{
    // Before any surface takes its pictures: the slideshow moves on once a
    // frame for all monitors.
    if (ShowsFiles(choice.source)) {
        slideshow.Advance(PerformanceCounterMicroseconds());
    }
    monitors.Update(time);
}
