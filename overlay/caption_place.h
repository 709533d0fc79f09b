#pragma once

#include <cstdint>

#include "overlay/overlay_placement.h"

// Where a picture's caption stands on its monitor (or a preview), as the
// top-left corner of its box of `boxWidth` x `boxHeight` pixels: in the lower
// left corner, its foot below the inner area where the clock moves, a little away
// from where the caption of the picture before stood, so that its letters
// never burn into the screen. `placeNumber` counts the caption's moves
// (CaptionMoves); nine places come round in turn, never the same twice in a
// row while the monitor has room to move the box. A box larger than the
// monitor starts at its top-left corner.
TextPlace CaptionPlace(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight, uint32_t placeNumber);

// How a monitor's captions move between those places: one place on with each
// picture, and where a picture stays (one picture per start, a long slide
// time) one place on every few minutes as well, fading out and in, so that
// even a caption that stays for hours does not burn in. The incoming picture
// of a crossfade takes the next place; no standing move happens during a
// crossfade.
class CaptionMoves {
public:
    // How long a caption stands before it moves on by itself.
    static constexpr uint64_t standMs = 3 * 60 * 1000;

    // Once a frame: the monitor's picture number (ShownPictures), whether a
    // crossfade is under way and a steady clock in milliseconds.
    void Advance(uint32_t pictureNumber, bool fading, uint64_t nowMs);

    // The numbers to give CaptionPlace.
    uint32_t ShownPlace() const { return place; }
    uint32_t IncomingPlace() const { return place + 1; }
    // The shown caption's opacity for its standing moves, 0 to 1.
    float ShownOpacity() const { return opacity; }

private:
    bool started = false;
    uint32_t picture = 0;
    uint32_t place = 0;
    uint64_t placedAtMs = 0;
    float opacity = 1.0f;
};
