#include "overlay/win32_caption_overlay.h"

#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <utility>

#include "overlay/caption_place.h"
#include "overlay/overlay_placement.h"
#include "overlay/win32_monitor_dpi.h"

namespace {

// Smaller than the clock's date: a caption is a note under the picture.
constexpr int32_t captionPixelsAt96 = 18;

bool SameArea(const ScreenRect& a, const ScreenRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

void CaptionOverlay::Fit(Caption& caption, const std::string& text, int32_t pixels)
{
    if (caption.text == text && caption.pixels == pixels) {
        return;
    }
    caption.text = text;
    caption.pixels = pixels;
    if (text.empty()) {
        caption.overlay->SetText(std::vector<OverlayLine>{});
    } else {
        caption.overlay->SetText(Lines(text), pixels, TextAlign::Left);
    }
}

void CaptionOverlay::DrawCaption(const Caption& caption, const Viewport& viewport, uint32_t placeNumber,
                                 float opacity)
{
    const TextOverlay& text = *caption.overlay;
    if (text.Empty() || opacity <= 0.0f) {
        return;
    }
    // A long folder name on a small preview stays within the left half.
    const float scale = std::min(1.0f, 0.5f * static_cast<float>(viewport.width) / static_cast<float>(text.Width()));
    const TextPlace place =
        CaptionPlace(viewport.width, viewport.height, static_cast<int32_t>(static_cast<float>(text.Width()) * scale),
                     static_cast<int32_t>(static_cast<float>(text.Height()) * scale), placeNumber);
    text.Draw(viewport, place.x, place.y, opacity, scale);
}

void CaptionOverlay::Draw(size_t monitor, const ShownPictures& pictures)
{
    if (!shown || (pictures.caption.empty() && pictures.incomingCaption.empty())) {
        return;
    }
    GLint box[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, box);
    const Viewport viewport{box[0], box[1], box[2], box[3]};
    if (viewport.width <= 0 || viewport.height <= 0) {
        return;
    }
    if (monitors.size() <= monitor) {
        monitors.resize(monitor + 1);
    }
    OnMonitor& on = monitors[monitor];
    const ScreenRect area = areaOf(monitor);
    if (!SameArea(area, on.area)) {
        on.area = area;
        on.dpi = MonitorDpi(area);
    }
    const int32_t pixels = ScaledTextPixels(captionPixelsAt96, on.dpi, viewport.height, area.Height());
    // At the end of a fade the incoming caption is the shown one: its
    // texture moves over instead of being drawn again.
    if (pictures.incomingCaption.empty() && on.shown.text != pictures.caption &&
        on.incoming.text == pictures.caption && on.incoming.pixels == pixels) {
        std::swap(on.shown, on.incoming);
    }
    Fit(on.shown, pictures.caption, pixels);
    Fit(on.incoming, pictures.incomingCaption, pixels);
    const bool fading = pictures.incomingTexture != 0;
    on.moves.Advance(pictures.pictureNumber, fading, GetTickCount64());
    const float fade = fading ? pictures.fade : 0.0f;
    DrawCaption(on.shown, viewport, on.moves.ShownPlace(), (1.0f - fade) * on.moves.ShownOpacity());
    DrawCaption(on.incoming, viewport, on.moves.IncomingPlace(), fade);
}
