#pragma once

#include <memory>
#include <string>
#include <vector>

#include "library/win32_slideshow.h"
#include "overlay/win32_caption_overlay.h"
#include "overlay/win32_clock_overlay.h"
#include "picture/picture_math.h"
#include "render/monitor_layout.h"
#include "render/monitor_surface.h"
#include "render/renderable.h"
#include "stage/stage_choice.h"
#include "stage/win32_monitor_set.h"

// Everything one output shows, assembled in one place for the full-screen
// saver, its preview (/p) and the settings dialog's live preview: the
// monitors' layout, each monitor's surface in the chosen look, the pictures
// (desktop pieces, the built-in picture, or a slideshow of files) and the
// overlays. The scene draws it as one renderable; the caller keeps the
// window, its rendering context and the frames.
//
// Start-up, in this order (the desktop is captured before the output covers
// it; textures need the rendering context):
//   Stage stage(choice); stage.CaptureJoining(monitors); make the output and
//   its context; stage.LayOut(monitors, output); stage.Start(pictureSize).
// Or StartAhead first, before the output and its context.
// When the monitors change, CaptureJoining and LayOut again.
class Stage : public Renderable {
public:
    // `keepsDesktop`: the monitors' desktop pieces are captured and kept even
    // where the choice does not show them, for a later Choose that does (the
    // dialog's preview captures the desktop before the dialog covers it).
    explicit Stage(const StageChoice& choice, bool keepsDesktop = false);
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    void CaptureJoining(const std::vector<DisplayMonitor>& joining) { monitors.CaptureJoining(joining); }
    // See MonitorSet::LayOut; the first monitor is the main one. With the
    // choice's mainMonitorOnly, every other monitor is dark. The slideshow
    // follows the lit monitors' new shapes. Needs the rendering context
    // current.
    void LayOut(const std::vector<DisplayMonitor>& shown, const ScreenRect& output, bool fillOutput = false);
    // Starts the slideshow where the choice shows files, decoded for
    // `pictureSize` (the largest monitor's, or a preview's own size). Needs
    // the rendering context current; returns at once.
    void Start(PixelSize pictureSize);
    // Start before the layout and the rendering context, for an output that
    // will show the one monitor piece `piece` (Windows' preview): its
    // pictures can be decoded before OpenGL starts (AwaitFirstPictures).
    void StartAhead(PixelSize pictureSize, const ScreenRect& piece);
    // See Slideshow::AwaitFirstPictures; true at once where no files show.
    bool AwaitFirstPictures(DWORD milliseconds);

    // Shows another choice: the pictures are loaded again only where they
    // differ, the surfaces made again only where the look, wave style or
    // speed differ. True when the surfaces were made again: the waves start
    // from the still surface, so the scene restarts its time. Needs the
    // rendering context current.
    bool Choose(const StageChoice& next);
    const StageChoice& Choice() const { return choice; }
    // The time, the time zone or the user's formats changed.
    void FormatsChanged() { clock->FormatsChanged(); }

    MonitorSet& Monitors() { return monitors; }
    const Slideshow& Slides() const { return slideshow; }
    // The file the first monitor shows or fades to; "" for the desktop, the
    // built-in picture, or before the first picture is ready.
    std::string ShownPicture() const { return slideshow.ShownPicture(); }

    void Update(float time) override;
    void Draw() override { monitors.Draw(); }

private:
    SharedPicture StillPicture(const MonitorPart& monitor, const SharedPicture& desktop);
    void StartSlideshow();
    // Only the main monitor lights where the choice says so; the previews'
    // one surface always does.
    void DarkenOthers();
    // How many monitors show water: the first only where the others are
    // dark.
    size_t LitMonitors() const;
    std::vector<PictureShape> MonitorShapes() const;

    StageChoice choice;
    PixelSize pictureSize = {0, 0};
    SharedPicture builtIn;  // loaded once, on the first monitor that shows it
    // The slideshow's textures outlive the monitors that show them.
    Slideshow slideshow;
    MonitorSet monitors;
    CaptionOverlay* captions = nullptr;  // owned by the monitors
    bool fillsOutput = false;
    ScreenRect aheadPiece = {0, 0, 0, 0};  // StartAhead's, until the layout
    ClockOverlay* clock;  // one of the monitors' overlays
};
