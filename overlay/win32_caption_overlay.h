#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "overlay/caption_place.h"
#include "overlay/win32_text_overlay.h"
#include "render/monitor_layout.h"
#include "render/monitor_surface.h"

// The caption of each monitor's picture (ShownPictures' captions), drawn
// over the water in the monitor's lower left corner at the monitor's DPI,
// scaled down with a preview, moving as caption_place.h says. During a crossfade the outgoing
// caption fades out and the incoming one fades in with the pictures. Each
// text is drawn into its texture only when it changes; the incoming one's
// texture becomes the shown one's when the fade ends. Draw and the
// destructor need the rendering context current.
class CaptionOverlay : public MonitorOverlay {
public:
    // The monitor (in desktop pixels) that drawing `monitor` stands for: its
    // DPI and height size the text.
    using MonitorArea = std::function<ScreenRect(size_t monitor)>;
    explicit CaptionOverlay(MonitorArea areaOf) : areaOf(std::move(areaOf)) {}

    // Off, nothing is drawn; the textures stay for when it is on again.
    void SetShown(bool on) { shown = on; }

    void Draw(size_t monitor, const ShownPictures& pictures) override;

private:
    struct Caption {
        std::string text;
        int32_t pixels = 0;
        std::unique_ptr<TextOverlay> overlay = std::make_unique<TextOverlay>();
    };
    struct OnMonitor {
        Caption shown;
        Caption incoming;
        ScreenRect area{0, 0, 0, 0};
        uint32_t dpi = 96;
        CaptionMoves moves;
    };

    static void Fit(Caption& caption, const std::string& text, int32_t pixels);
    static void DrawCaption(const Caption& caption, const Viewport& viewport, uint32_t placeNumber, float opacity);

    MonitorArea areaOf;
    bool shown = false;
    std::vector<OnMonitor> monitors;
};
