#include "overlay/win32_clock_overlay.h"

#include <GL/gl.h>

namespace {

// The time about as tall as a large heading at 100 % scaling, the date under
// it smaller.
constexpr int32_t timePixelsAt96 = 44;
constexpr int32_t datePixelsAt96 = 22;

// A count that changes exactly when the local time's minute does.
uint64_t MinuteOf(const SYSTEMTIME& time)
{
    const uint64_t days = (static_cast<uint64_t>(time.wYear) * 12u + time.wMonth) * 31u + time.wDay;
    return (days * 24u + time.wHour) * 60u + time.wMinute;
}

}  // namespace

ClockOverlay::ClockOverlay(int clockShown, MicrosecondClock steadyClock, uint32_t seed)
    : clockShown(clockShown), steadyClock(steadyClock), places(seed)
{
}

void ClockOverlay::Show(int shown)
{
    if (shown != clockShown) {
        clockShown = shown;
        formatsChanged = true;
    }
}

void ClockOverlay::ShowFor(uint32_t monitorDpi, int32_t height)
{
    dpi = monitorDpi;
    monitorHeight = height;
    moveDue = true;
}

void ClockOverlay::DrawText(const SYSTEMTIME& now, int32_t shownHeight)
{
    const std::vector<std::string> lines = ClockLines(now, clockShown, formatting);
    std::vector<OverlayLine> sized;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int32_t pixelsAt96 = i == 0 ? timePixelsAt96 : datePixelsAt96;
        sized.push_back(OverlayLine{lines[i], ScaledTextPixels(pixelsAt96, dpi, shownHeight, monitorHeight)});
    }
    text.SetText(sized, TextAlign::Center);
}

void ClockOverlay::Advance(const Viewport& viewport)
{
    SYSTEMTIME now = {};
    localTime(&now);
    const uint64_t nowUs = steadyClock();
    const uint64_t minute = MinuteOf(now);
    if (minute != shownMinute || viewport.width != placedIn.width || viewport.height != placedIn.height) {
        moveDue = true;
    }
    if (moveDue || formatsChanged) {
        DrawText(now, viewport.height);
        shownMinute = minute;
        formatsChanged = false;
    }
    if (moveDue) {
        const ScreenRect inner = InnerArea(viewport.width, viewport.height);
        scale = FitScale(text.Width(), text.Height(), inner);
        place = places.Next(inner, static_cast<int32_t>(static_cast<float>(text.Width()) * scale),
                            static_cast<int32_t>(static_cast<float>(text.Height()) * scale));
        placedIn = viewport;
        shownAtUs = nowUs;
        moveDue = false;
    }
    const int64_t sinceShownMs = static_cast<int64_t>((nowUs - shownAtUs) / 1000u);
    opacity = FadeOpacity(sinceShownMs, MillisecondsToNextMinute(now.wSecond, now.wMilliseconds));
}

void ClockOverlay::Draw(size_t monitor, const ShownPictures&)
{
    if (clockShown <= 0 || monitor != 0) {
        return;
    }
    GLint current[4] = {};
    glGetIntegerv(GL_VIEWPORT, current);
    const Viewport viewport{current[0], current[1], current[2], current[3]};
    Advance(viewport);
    text.Draw(viewport, place.x, place.y, opacity, scale);
}
