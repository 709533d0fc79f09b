#include "overlay/overlay_placement.h"

#include <algorithm>
#include <cmath>
#include <vector>

ScreenRect InnerArea(int32_t width, int32_t height)
{
    const int32_t marginX = width / 10;
    const int32_t marginY = height / 10;
    return ScreenRect{marginX, marginY, width - marginX, height - marginY};
}

float FitScale(int32_t boxWidth, int32_t boxHeight, const ScreenRect& inner)
{
    if (boxWidth <= 0 || boxHeight <= 0) {
        return 1.0f;
    }
    const float roomX = 0.75f * static_cast<float>(std::max(inner.Width(), 0));
    const float roomY = 0.75f * static_cast<float>(std::max(inner.Height(), 0));
    return std::min({1.0f, roomX / static_cast<float>(boxWidth), roomY / static_cast<float>(boxHeight)});
}

// Positions spread evenly over the room a box leaves along one side, without
// repeats where the room is only a few pixels.
static std::vector<int32_t> Stops(int32_t start, int32_t room)
{
    constexpr int32_t stopCount = 4;
    std::vector<int32_t> stops;
    for (int32_t i = 0; i < stopCount; ++i) {
        const int32_t stop = start + static_cast<int32_t>(static_cast<int64_t>(std::max(room, 0)) * i /
                                                          (stopCount - 1));
        if (stops.empty() || stops.back() != stop) {
            stops.push_back(stop);
        }
    }
    return stops;
}

TextPlace PlaceChooser::Next(const ScreenRect& inner, int32_t boxWidth, int32_t boxHeight)
{
    const std::vector<int32_t> xs = Stops(inner.left, inner.Width() - boxWidth);
    const std::vector<int32_t> ys = Stops(inner.top, inner.Height() - boxHeight);
    std::vector<TextPlace> places;
    for (int32_t y : ys) {
        for (int32_t x : xs) {
            const TextPlace place{x, y};
            if (!hasLast || !(place == last) || xs.size() * ys.size() == 1) {
                places.push_back(place);
            }
        }
    }
    last = places[std::uniform_int_distribution<size_t>(0, places.size() - 1)(random)];
    hasLast = true;
    return last;
}

float FadeOpacity(int64_t sinceShownMs, int64_t untilHiddenMs, int64_t fadeMs)
{
    if (fadeMs <= 0) {
        return sinceShownMs >= 0 && untilHiddenMs > 0 ? 1.0f : 0.0f;
    }
    const int64_t nearest = std::min(sinceShownMs, untilHiddenMs);
    return static_cast<float>(std::clamp<int64_t>(nearest, 0, fadeMs)) / static_cast<float>(fadeMs);
}

int64_t MillisecondsToNextMinute(int32_t second, int32_t millisecond)
{
    return std::max<int64_t>(1, 60000 - static_cast<int64_t>(second) * 1000 - millisecond);
}

int32_t ScaledTextPixels(int32_t pixelsAt96, uint32_t dpi, int32_t shownHeight, int32_t monitorHeight)
{
    double pixels = static_cast<double>(pixelsAt96) * dpi / 96.0;
    if (monitorHeight > 0 && shownHeight > 0) {
        pixels = pixels * shownHeight / monitorHeight;
    }
    return std::max(1, static_cast<int32_t>(std::lround(pixels)));
}
