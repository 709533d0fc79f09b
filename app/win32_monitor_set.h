#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/monitor_layout.h"
#include "render/renderable.h"
#include "water/win32_water_surface.h"

// A texture with one owner, shared by the monitors that show it; deleted with
// the last of them, which needs the rendering context current.
class PictureTexture {
public:
    explicit PictureTexture(GLuint name) : name(name) {}
    ~PictureTexture();
    PictureTexture(const PictureTexture&) = delete;
    PictureTexture& operator=(const PictureTexture&) = delete;

    GLuint Name() const { return name; }

private:
    GLuint name;
};
using SharedPicture = std::shared_ptr<PictureTexture>;

// The picture for a monitor that joins the layout, given its part and its
// piece of the desktop as it was before the output covered it (null where
// the desktop is not shown, or its capture failed). The piece stays the
// caller's.
using PictureForMonitor = std::function<SharedPicture(const MonitorPart& monitor, HBITMAP desktopPiece)>;

// What each monitor shows: per monitor its place in the output, its own water
// surface and its picture. Laid out once at start and again whenever the
// monitors change: a monitor that stays (resized or moved) keeps its surface
// and picture, one that joins gets a new picture, one that goes takes its
// surface and picture with it.
//
// A layout is two steps, because the desktop must be captured before the
// output covers it and textures need the rendering context:
//   CaptureJoining(monitors); cover the screen; LayOut(monitors, output).
class MonitorSet : public Renderable {
public:
    // `captureDesktop`: whether joining monitors have their desktop pieces
    // captured for `pictureFor`.
    MonitorSet(int32_t waveStyle, int32_t speedPercent, bool captureDesktop, PictureForMonitor pictureFor);
    ~MonitorSet();
    MonitorSet(const MonitorSet&) = delete;
    MonitorSet& operator=(const MonitorSet&) = delete;

    // Captures the desktop pieces of the monitors not shown yet.
    void CaptureJoining(const std::vector<DisplayMonitor>& monitors);
    // One view per monitor, in the given order, for an output covering
    // `output` (virtual-screen coordinates). With `fillOutput` (the preview)
    // the monitors' one surface fills the whole output instead. Frees the
    // captured pieces.
    void LayOut(const std::vector<DisplayMonitor>& monitors, const ScreenRect& output, bool fillOutput = false);

    // With `dark`, only the main monitor (the first of the layout) shows
    // water; the others stay black and cost nothing: no picture, no surface,
    // no update, no drawing. Takes effect at the next layout.
    void KeepOthersDark(bool dark) { othersDark = dark; }
    bool IsDark(size_t index) const { return !shown[index].surface; }

    size_t Count() const { return shown.size(); }
    const MonitorPart& Part(size_t index) const { return shown[index].part; }
    const SharedPicture& Picture(size_t index) const { return shown[index].picture; }
    // Shows another picture on one monitor from the next frame on; the one it
    // replaces goes once no monitor shows it. A dark monitor takes none.
    void SetPicture(size_t index, SharedPicture picture);

    // Where pictures change from frame to frame (a slideshow), `feed` gives
    // each monitor's surface its pictures before every frame, by the
    // monitor's place in the layout.
    using SurfaceFeed = std::function<void(size_t index, WaterSurface& surface)>;
    void FeedSurfaces(SurfaceFeed surfaceFeed) { feed = std::move(surfaceFeed); }

    void Update(float time) override;
    void Draw() override;

private:
    struct Shown {
        std::string device;
        MonitorPart part;
        std::unique_ptr<WaterSurface> surface;  // null while the monitor is dark
        SharedPicture picture;
    };
    struct Captured {
        std::string device;
        HBITMAP piece;
    };

    void FreeCaptured();
    bool StaysDark(size_t layoutIndex) const { return othersDark && layoutIndex > 0; }
    void Light(Shown& monitor, HBITMAP desktopPiece);

    int32_t waveStyle;
    int32_t speedPercent;
    bool captureDesktop;
    PictureForMonitor pictureFor;
    SurfaceFeed feed;
    bool fillsOutput = false;
    bool othersDark = false;
    std::vector<Shown> shown;
    std::vector<Captured> captured;
};
