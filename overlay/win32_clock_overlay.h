#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "clock/win32_clock.h"
#include "overlay/overlay_placement.h"
#include "overlay/win32_clock_text.h"
#include "overlay/win32_text_overlay.h"
#include "render/renderable.h"

// Where the clock shows: a viewport of the output (the main monitor's, or
// the whole preview), the DPI of the monitor it stands for and that
// monitor's height, which the viewport may show smaller.
struct ClockTarget {
    Viewport viewport;
    uint32_t dpi;
    int32_t monitorHeight;
};

// The clock over the water. Before every frame it reads the local time
// (so a change of time zone or of daylight saving time shows with the next
// minute at the latest) and, only when the minute has changed, draws the new
// text into its texture and moves it to a new place of the target's inner
// area; it fades in after each move and out over the last moments of each
// minute. Drawn after the water, in the target's viewport. Needs the
// rendering context current from the first Update on.
class ClockOverlay : public Renderable {
public:
    ClockOverlay(int clockShown, MicrosecondClock steadyClock, uint32_t seed);

    // A new target (at start, and after the monitors or the preview's size
    // changed): the text is drawn again at its size in a new place.
    void ShowOn(const ClockTarget& target);
    // The user's formats or the time zone changed: the text is drawn again
    // before the next frame, in its place.
    void FormatsChanged() { formatsChanged = true; }

    void Update(float time) override;
    void Draw() override;

    // The local time; tests set their own.
    void (*localTime)(SYSTEMTIME*) = GetLocalTime;
    DateTimeFormatting formatting;

    // What the latest Update chose, for tests.
    const TextOverlay& Text() const { return text; }
    TextPlace Place() const { return place; }
    float Opacity() const { return opacity; }

private:
    void DrawText(const SYSTEMTIME& now);

    int clockShown;
    MicrosecondClock steadyClock;
    PlaceChooser places;
    ClockTarget target{{0, 0, 0, 0}, 96, 0};
    bool hasTarget = false;
    bool moveDue = true;
    bool formatsChanged = false;
    uint64_t shownMinute = UINT64_MAX;  // minutes of the local time shown
    uint64_t shownAtUs = 0;
    TextOverlay text;
    TextPlace place{0, 0};
    float scale = 1.0f;
    float opacity = 0.0f;
};
