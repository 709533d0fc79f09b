#include "app/win32_monitor_set.h"

#include <algorithm>

#include "picture/picture_math.h"
#include "picture/win32_desktop_capture.h"
#include "render/win32_gl_window.h"

PictureTexture::~PictureTexture()
{
    if (name != 0) {
        glDeleteTextures(1, &name);
    }
}

MonitorSet::MonitorSet(int32_t waveStyle, int32_t speedPercent, bool captureDesktop, PictureForMonitor pictureFor)
    : waveStyle(waveStyle), speedPercent(speedPercent), captureDesktop(captureDesktop),
      pictureFor(std::move(pictureFor))
{
}

MonitorSet::~MonitorSet()
{
    FreeCaptured();
}

void MonitorSet::FreeCaptured()
{
    for (const Captured& capture : captured) {
        if (capture.piece != nullptr) {
            (void)DeleteObject(capture.piece);
        }
    }
    captured.clear();
}

void MonitorSet::CaptureJoining(const std::vector<DisplayMonitor>& monitors)
{
    FreeCaptured();
    if (!captureDesktop) {
        return;
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        const DisplayMonitor& monitor = monitors[i];
        if (StaysDark(i)) {
            continue;
        }
        const bool isShown = std::any_of(shown.begin(), shown.end(),
                                         [&](const Shown& s) { return s.device == monitor.device; });
        if (!isShown) {
            const PixelSize size = SnapshotSize(monitor.area.Width(), monitor.area.Height());
            captured.push_back(Captured{monitor.device, CaptureScreenArea(monitor.area, size)});
        }
    }
}

void MonitorSet::LayOut(const std::vector<DisplayMonitor>& monitors, const ScreenRect& output, bool fillOutput)
{
    fillsOutput = fillOutput;
    const std::vector<MonitorPart> parts = LayOutMonitors(output, MonitorAreas(monitors));
    std::vector<Shown> next;
    next.reserve(monitors.size());
    for (size_t i = 0; i < monitors.size(); ++i) {
        const std::string& device = monitors[i].device;
        auto kept = std::find_if(shown.begin(), shown.end(), [&](const Shown& s) { return s.device == device; });
        auto capture = std::find_if(captured.begin(), captured.end(),
                                    [&](const Captured& c) { return c.device == device; });
        HBITMAP piece = capture != captured.end() ? capture->piece : nullptr;
        Shown monitor{device, parts[i], nullptr, nullptr};
        if (kept != shown.end()) {
            monitor = std::move(*kept);
            monitor.part = parts[i];
            shown.erase(kept);
        }
        // A monitor that became the main one lights up; one that no longer
        // is goes dark, its picture with it.
        if (StaysDark(i)) {
            monitor.surface.reset();
            monitor.picture.reset();
        } else if (!monitor.surface) {
            Light(monitor, piece);
        }
        next.push_back(std::move(monitor));
    }
    // What is left in `shown` are the monitors that went: their surfaces go
    // now, and their pictures unless another monitor shows them too.
    shown = std::move(next);
    FreeCaptured();
}

void MonitorSet::Light(Shown& monitor, HBITMAP desktopPiece)
{
    monitor.surface = std::make_unique<WaterSurface>();
    monitor.surface->Init(20, 30, waveStyle);
    monitor.surface->speedPercent = speedPercent;
    monitor.picture = pictureFor(monitor.part, desktopPiece);
    monitor.surface->texture = monitor.picture ? monitor.picture->Name() : 0;
}

void MonitorSet::SetPicture(size_t index, SharedPicture picture)
{
    Shown& monitor = shown[index];
    if (!monitor.surface) {
        return;
    }
    monitor.picture = std::move(picture);
    monitor.surface->texture = monitor.picture ? monitor.picture->Name() : 0;
}

void MonitorSet::Update(float time)
{
    for (size_t i = 0; i < shown.size(); ++i) {
        if (!shown[i].surface) {
            continue;
        }
        if (feed) {
            feed(i, *shown[i].surface);
        }
        shown[i].surface->Update(time);
    }
}

void MonitorSet::Draw()
{
    for (Shown& monitor : shown) {
        if (!monitor.surface) {
            continue;
        }
        if (fillsOutput) {
            monitor.surface->Draw();
            continue;
        }
        const Viewport& area = monitor.part.viewport;
        if (area.width <= 0 || area.height <= 0) {
            continue;
        }
        // The scene's clear covers the whole window whatever the viewport, so
        // the parts of the output outside every monitor stay black.
        SetViewportAndCamera(area.x, area.y, area.width, area.height, sceneNearPlane);
        monitor.surface->Draw();
    }
}
