#include "stage/win32_monitor_set.h"

#include <algorithm>

#include "picture/picture_math.h"
#include "picture/win32_desktop_capture.h"
#include "picture/win32_picture_textures.h"
#include "render/win32_gl_window.h"
#include "res/resource.h"

PictureTexture::~PictureTexture()
{
    if (name != 0) {
        glDeleteTextures(1, &name);
    }
}

MonitorSet::MonitorSet(bool captureDesktop, SurfaceForMonitor surfaceFor, PictureForMonitor pictureFor)
    : captureDesktop(captureDesktop), surfaceFor(std::move(surfaceFor)), pictureFor(std::move(pictureFor))
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
    for (const DisplayMonitor& monitor : monitors) {
        const bool isShown = std::any_of(shown.begin(), shown.end(),
                                         [&](const Shown& s) { return s.device == monitor.device; });
        if (!isShown) {
            const PixelSize size = capturesOwnSize ? PixelSize{monitor.area.Width(), monitor.area.Height()}
                                                   : SnapshotSize(monitor.area.Width(), monitor.area.Height());
            captured.push_back(Captured{monitor.device, CaptureScreenArea(monitor.area, size)});
        }
    }
}

SharedPicture LoadStillPicture(HBITMAP bitmap, PixelSize shownSize)
{
    GLuint name = 0;
    if (wglGetCurrentContext() == nullptr) {
        return std::make_shared<PictureTexture>(name, shownSize);
    }
    if (bitmap != nullptr && LoadTextureFromBitmap(&name, bitmap)) {
        return std::make_shared<PictureTexture>(name, shownSize);
    }
    const bool loaded = LoadTextureFromResource(&name, IDB_BUILTIN_PICTURE);
    return std::make_shared<PictureTexture>(name, loaded ? BoundTextureSize() : PixelSize{0, 0});
}

// The texture of the monitor's captured piece; where the capture failed, the
// built-in picture.
SharedPicture MonitorSet::DesktopPicture(const DisplayMonitor& monitor) const
{
    if (!captureDesktop) {
        return nullptr;
    }
    auto capture = std::find_if(captured.begin(), captured.end(),
                                [&](const Captured& c) { return c.device == monitor.device; });
    const HBITMAP piece = capture != captured.end() ? capture->piece : nullptr;
    return LoadStillPicture(piece, {monitor.area.Width(), monitor.area.Height()});
}

void MonitorSet::ShowStill(Shown& monitor, SharedPicture picture)
{
    monitor.picture = std::move(picture);
    monitor.pictures = ShownPictures();
    if (monitor.picture) {
        monitor.pictures.texture = monitor.picture->Name();
        monitor.pictures.size = monitor.picture->Size();
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
        if (kept != shown.end()) {
            kept->part = parts[i];
            next.push_back(std::move(*kept));
            shown.erase(kept);
            continue;
        }
        Shown joining;
        joining.device = device;
        joining.part = parts[i];
        joining.surface = surfaceFor(parts[i]);
        joining.desktop = DesktopPicture(monitors[i]);
        ShowStill(joining, pictureFor(parts[i], joining.desktop));
        next.push_back(std::move(joining));
    }
    // What is left in `shown` are the monitors that went: their surfaces go
    // now, and their pictures unless another monitor shows them too.
    shown = std::move(next);
    FreeCaptured();
}

void MonitorSet::SetPicture(size_t index, SharedPicture picture)
{
    ShowStill(shown[index], std::move(picture));
}

void MonitorSet::ReloadPictures()
{
    for (Shown& monitor : shown) {
        ShowStill(monitor, pictureFor(monitor.part, monitor.desktop));
    }
}

void MonitorSet::RemakeSurfaces()
{
    for (Shown& monitor : shown) {
        monitor.surface = surfaceFor(monitor.part);
    }
}

void MonitorSet::Update(float time)
{
    for (size_t i = 0; i < shown.size(); ++i) {
        Shown& monitor = shown[i];
        if (feed) {
            feed(i, monitor.pictures);
        }
        if (monitor.dark) {
            continue;
        }
        monitor.surface->Show(monitor.pictures);
        monitor.surface->Update(time);
    }
}

void MonitorSet::Draw()
{
    for (size_t i = 0; i < shown.size(); ++i) {
        Shown& monitor = shown[i];
        if (monitor.dark) {
            continue;
        }
        if (!fillsOutput) {
            const Viewport& area = monitor.part.viewport;
            if (area.width <= 0 || area.height <= 0) {
                continue;
            }
            // The scene's clear covers the whole window whatever the
            // viewport, so the parts of the output outside every monitor
            // stay black.
            SetViewportAndCamera(area.x, area.y, area.width, area.height, sceneNearPlane);
        }
        monitor.surface->Draw();
        for (const std::unique_ptr<MonitorOverlay>& overlay : overlays) {
            overlay->Draw(i, monitor.pictures);
        }
    }
}
