#pragma once

#include <cstdint>
#include <random>

#include "render/monitor_layout.h"

// Where on-screen text stands and how it fades. Rectangles here are counted in
// pixels from a monitor's (or a preview's) top-left corner, rows downwards.

// The part of a monitor text may stand in: a tenth of each side in from every
// edge, clear of bezels and of the corners the eye skips.
ScreenRect InnerArea(int32_t width, int32_t height);

// The scale, at most 1, that fits a text box of that size into three quarters
// of `inner` in both directions, so that there is always room to move it.
float FitScale(int32_t boxWidth, int32_t boxHeight, const ScreenRect& inner);

struct TextPlace {
    int32_t x;  // the box's left edge
    int32_t y;  // the box's top edge

    bool operator==(const TextPlace& other) const { return x == other.x && y == other.y; }
};

// A new place each time for a text box that must not burn in: one of a grid of
// places spread over the inner area, chosen at random, never the place it gave
// the time before (where the area has room for two), the box always whole
// inside the area.
class PlaceChooser {
public:
    explicit PlaceChooser(uint32_t seed) : random(seed) {}

    TextPlace Next(const ScreenRect& inner, int32_t boxWidth, int32_t boxHeight);

private:
    std::minstd_rand random;
    bool hasLast = false;
    TextPlace last{0, 0};
};

// How long a text takes to fade in after it appears and out before it goes.
constexpr int64_t textFadeMs = 500;

// The opacity, 0 to 1, of a text that appeared `sinceShownMs` ago and goes in
// `untilHiddenMs`: it fades in over the first `fadeMs` and out over the last.
float FadeOpacity(int64_t sinceShownMs, int64_t untilHiddenMs, int64_t fadeMs = textFadeMs);

// Milliseconds from a wall-clock time (its second and millisecond within the
// minute) to the start of the next minute; at least 1, a leap second too.
int64_t MillisecondsToNextMinute(int32_t second, int32_t millisecond);

// A text height given in pixels at 96 DPI, for a monitor of `dpi`, shown at
// `shownHeight` pixels out of the monitor's `monitorHeight` (the preview shows
// it smaller); at least 1 pixel.
int32_t ScaledTextPixels(int32_t pixelsAt96, uint32_t dpi, int32_t shownHeight, int32_t monitorHeight);
