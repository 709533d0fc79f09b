#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/monitor_layout.h"
#include "render/monitor_surface.h"
#include "render/shown_pictures.h"

// A texture with one owner, shared by the monitors that show it; deleted with
// the last of them, which needs the rendering context current.
class PictureTexture {
public:
    PictureTexture(GLuint name, PixelSize size) : name(name), size(size) {}
    ~PictureTexture();
    PictureTexture(const PictureTexture&) = delete;
    PictureTexture& operator=(const PictureTexture&) = delete;

    GLuint Name() const { return name; }
    // The picture's own size, upright; {0, 0} where it is not known.
    PixelSize Size() const { return size; }

private:
    GLuint name;
    PixelSize size;
};
using SharedPicture = std::shared_ptr<PictureTexture>;

// A new texture of the bitmap (a desktop piece, whose picture is `shownSize`
// big on the screen), or of the built-in picture, at its own size, where
// there is no bitmap or it cannot be loaded. Needs the rendering context
// current; without one, a picture of texture 0.
SharedPicture LoadStillPicture(HBITMAP bitmap, PixelSize shownSize);

// The still picture for a monitor, given its part and its piece of the
// desktop as it was before the output covered it (null where the set does
// not capture the desktop). Null where the monitor's pictures come from a
// feed instead.
using PictureForMonitor = std::function<SharedPicture(const MonitorPart& monitor, const SharedPicture& desktop)>;
// A new surface for a monitor.
using SurfaceForMonitor = std::function<std::unique_ptr<MonitorSurface>(const MonitorPart& monitor)>;

// What each monitor shows: per monitor its place in the output, its own
// surface and its pictures, and over them the overlays. Laid out once at
// start and again whenever the monitors change: a monitor that stays (resized
// or moved) keeps its surface and pictures, one that joins gets new ones, one
// that goes takes its own with it.
//
// A layout is two steps, because the desktop must be captured before the
// output covers it and textures need the rendering context:
//   CaptureJoining(monitors); cover the screen; LayOut(monitors, output).
class MonitorSet {
public:
    // `captureDesktop`: whether joining monitors have their desktop pieces
    // captured (and kept, as textures) for `pictureFor`.
    MonitorSet(bool captureDesktop, SurfaceForMonitor surfaceFor, PictureForMonitor pictureFor);
    ~MonitorSet();
    MonitorSet(const MonitorSet&) = delete;
    MonitorSet& operator=(const MonitorSet&) = delete;

    // Desktop pieces captured from now on keep the monitor's own size instead
    // of the power-of-two snapshot's: a look that shows the desktop pixel for
    // pixel needs them so.
    void CaptureAtMonitorSize(bool own) { capturesOwnSize = own; }
    // Captures the desktop pieces of the monitors not shown yet.
    void CaptureJoining(const std::vector<DisplayMonitor>& monitors);
    // One view per monitor, in the given order, for an output covering
    // `output` (virtual-screen coordinates). With `fillOutput` (the previews)
    // the monitors' one surface fills the whole output instead. Frees the
    // captured pieces.
    void LayOut(const std::vector<DisplayMonitor>& monitors, const ScreenRect& output, bool fillOutput = false);

    size_t Count() const { return shown.size(); }
    const MonitorPart& Part(size_t index) const { return shown[index].part; }
    const SharedPicture& Picture(size_t index) const { return shown[index].picture; }
    const ShownPictures& Pictures(size_t index) const { return shown[index].pictures; }
    // Shows another still picture on one monitor from the next frame on; the
    // one it replaces goes once no monitor shows it.
    void SetPicture(size_t index, SharedPicture picture);
    // Every monitor takes its picture from `pictureFor` again (the choice of
    // pictures changed).
    void ReloadPictures();
    // Every monitor gets a new surface from `surfaceFor` (another look, wave
    // style or speed).
    void RemakeSurfaces();

    // A dark monitor shows nothing, neither surface nor overlays: the
    // output's clear leaves it black. Its layout and pictures stay.
    void SetDark(size_t index, bool dark) { shown[index].dark = dark; }
    bool IsDark(size_t index) const { return shown[index].dark; }

    // Where pictures change from frame to frame (a slideshow), `feed` fills
    // each monitor's pictures before every frame, by the monitor's place in
    // the layout.
    using PictureFeed = std::function<void(size_t index, ShownPictures& pictures)>;
    void FeedPictures(PictureFeed pictureFeed) { feed = std::move(pictureFeed); }

    // Drawn on every monitor that is not dark, after its surface, in the
    // order added; the set owns them.
    void AddOverlay(std::unique_ptr<MonitorOverlay> overlay) { overlays.push_back(std::move(overlay)); }

    void Update(float time);
    void Draw();

private:
    struct Shown {
        std::string device;
        MonitorPart part;
        std::unique_ptr<MonitorSurface> surface;
        SharedPicture desktop;  // null unless the desktop is captured
        SharedPicture picture;  // null where a feed gives the pictures
        ShownPictures pictures;
        bool dark = false;
    };
    struct Captured {
        std::string device;
        HBITMAP piece;
    };

    void FreeCaptured();
    SharedPicture DesktopPicture(const DisplayMonitor& monitor) const;
    static void ShowStill(Shown& monitor, SharedPicture picture);

    bool captureDesktop;
    SurfaceForMonitor surfaceFor;
    PictureForMonitor pictureFor;
    PictureFeed feed;
    std::vector<std::unique_ptr<MonitorOverlay>> overlays;
    bool fillsOutput = false;
    bool capturesOwnSize = false;
    std::vector<Shown> shown;
    std::vector<Captured> captured;
};
