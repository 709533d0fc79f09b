#include "overlay/caption_place.h"

#include <algorithm>

TextPlace CaptionPlace(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight, uint32_t placeNumber)
{
    // Visited four apart, the nine places of a 3 x 3 grid all come before
    // any comes again.
    const int32_t spot = static_cast<int32_t>(placeNumber * 4u % 9u);
    const int32_t stepX = std::max(1, width / 100);
    const int32_t stepY = std::max(1, height / 200);
    const int32_t margin = height / 40;
    const int32_t left = margin + (spot % 3) * stepX;
    const int32_t bottom = height - margin - (spot / 3) * stepY;
    return TextPlace{std::max(0, std::min(left, width - boxWidth)),
                     std::max(0, std::min(bottom - boxHeight, height - boxHeight))};
}

void CaptionMoves::Advance(uint32_t pictureNumber, bool fading, uint64_t nowMs)
{
    if (!started || pictureNumber != picture) {
        // The incoming caption, faded in with its picture, stands where it
        // came in, at full opacity.
        place += started ? 1 : 0;
        started = true;
        picture = pictureNumber;
        placedAtMs = nowMs - std::min<uint64_t>(nowMs, textFadeMs);
    }
    if (fading) {
        opacity = 1.0f;
        return;
    }
    if (nowMs - placedAtMs >= standMs) {
        ++place;
        placedAtMs = nowMs;
    }
    opacity = FadeOpacity(static_cast<int64_t>(nowMs - placedAtMs), static_cast<int64_t>(placedAtMs + standMs - nowMs));
}
