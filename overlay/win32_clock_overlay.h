#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "clock/win32_clock.h"
#include "overlay/overlay_placement.h"
#include "overlay/win32_clock_text.h"
#include "overlay/win32_text_overlay.h"
#include "render/monitor_surface.h"

// The clock over the water of the main monitor (the layout's first; the
// preview's one surface). Each frame it reads the local time, so that a
// change of time zone or of daylight saving time shows at once, and only
// when the minute has changed does it draw the new text into its texture
// and move it to a new place of the monitor's inner area; it fades in after
// each move and out over the last moments of each minute. Drawn crisp, in
// the monitor's viewport, after its surface. Needs the rendering context
// current whenever it draws.
class ClockOverlay : public MonitorOverlay {
public:
    ClockOverlay(int clockShown, MicrosecondClock steadyClock, uint32_t seed);

    // 0 none, 1 the time, 2 the time and the date; shown from the next frame.
    void Show(int shown);
    // The main monitor's DPI and height in pixels, at start and after every
    // layout; a viewport smaller than the monitor (a preview) shows the
    // clock smaller. The text is drawn again at its new size.
    void ShowFor(uint32_t dpi, int32_t monitorHeight);
    // The user's formats or the time zone changed: the text is drawn again
    // before the next frame, in its place.
    void FormatsChanged() { formatsChanged = true; }

    void Draw(size_t monitor, const ShownPictures& pictures) override;
    // Brings the clock up to the local time for a frame in `viewport`: what
    // Draw does before it draws.
    void Advance(const Viewport& viewport);

    // The local time; tests set their own.
    void (*localTime)(SYSTEMTIME*) = GetLocalTime;
    DateTimeFormatting formatting;

    // What the latest Advance chose, for tests.
    const TextOverlay& Text() const { return text; }
    TextPlace Place() const { return place; }
    float Opacity() const { return opacity; }

private:
    void DrawText(const SYSTEMTIME& now, int32_t shownHeight);

    int clockShown;
    MicrosecondClock steadyClock;
    PlaceChooser places;
    uint32_t dpi = 96;
    int32_t monitorHeight = 0;
    Viewport placedIn{0, 0, 0, 0};
    bool moveDue = true;
    bool formatsChanged = false;
    uint64_t shownMinute = UINT64_MAX;  // minutes of the local time shown
    uint64_t shownAtUs = 0;
    TextOverlay text;
    TextPlace place{0, 0};
    float scale = 1.0f;
    float opacity = 0.0f;
};
