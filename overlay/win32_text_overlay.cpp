#include "overlay/win32_text_overlay.h"

#include <algorithm>
#include <cstring>

#include "overlay/text_pixels.h"
#include "text/win32_wide.h"


namespace {

// The face asked for; where the system lacks it, GDI's font mapper gives the
// nearest sans-serif it has.
const wchar_t textFace[] = L"Segoe UI";

HFONT TextFont(int32_t pixels)
{
    return CreateFontW(-pixels, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, textFace);
}

struct MeasuredLine {
    std::wstring text;
    HFONT font;
    SIZE size;
};

// A memory DC with the lines' fonts, and what each line measures; releases
// all of it when it goes.
class LineCanvas {
public:
    explicit LineCanvas(const std::vector<OverlayLine>& lines) : dc(CreateCompatibleDC(nullptr))
    {
        for (const OverlayLine& line : lines) {
            MeasuredLine measured{WideFromUtf8(line.text), TextFont(std::max(1, line.pixels)), SIZE{0, 0}};
            if (dc != nullptr && measured.font != nullptr) {
                const HGDIOBJ old = SelectObject(dc, measured.font);
                TEXTMETRICW metrics = {};
                (void)GetTextMetricsW(dc, &metrics);
                (void)GetTextExtentPoint32W(dc, measured.text.c_str(), static_cast<int>(measured.text.size()),
                                            &measured.size);
                measured.size.cy = metrics.tmHeight;
                (void)SelectObject(dc, old);
            }
            measuredLines.push_back(std::move(measured));
        }
    }
    ~LineCanvas()
    {
        for (const MeasuredLine& line : measuredLines) {
            if (line.font != nullptr) {
                (void)DeleteObject(line.font);
            }
        }
        if (dc != nullptr) {
            (void)DeleteDC(dc);
        }
    }
    LineCanvas(const LineCanvas&) = delete;
    LineCanvas& operator=(const LineCanvas&) = delete;

    HDC dc;
    std::vector<MeasuredLine> measuredLines;
};

// The glyphs' coverage, white drawn on black by GDI into a top-down 32-bit
// DIB, one byte a pixel; empty when GDI fails.
std::vector<uint8_t> DrawCoverage(LineCanvas& canvas, int32_t boxWidth, int32_t boxHeight, int32_t margin,
                                  TextAlign align)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = boxWidth;
    info.bmiHeader.biHeight = -boxHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(canvas.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        return {};
    }
    const size_t pixelCount = static_cast<size_t>(boxWidth) * static_cast<size_t>(boxHeight);
    std::memset(bits, 0, pixelCount * 4);
    const HGDIOBJ oldBitmap = SelectObject(canvas.dc, bitmap);
    (void)SetBkMode(canvas.dc, TRANSPARENT);
    (void)SetTextColor(canvas.dc, RGB(255, 255, 255));
    int32_t top = margin;
    for (const MeasuredLine& line : canvas.measuredLines) {
        const int32_t room = boxWidth - 2 * margin - line.size.cx;
        const int32_t left = margin + (align == TextAlign::Left ? 0 : align == TextAlign::Center ? room / 2 : room);
        const HGDIOBJ oldFont = SelectObject(canvas.dc, line.font);
        (void)TextOutW(canvas.dc, left, top, line.text.c_str(), static_cast<int>(line.text.size()));
        (void)SelectObject(canvas.dc, oldFont);
        top += line.size.cy;
    }
    (void)GdiFlush();
    std::vector<uint8_t> coverage(pixelCount);
    const auto* pixels = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < pixelCount; ++i) {
        coverage[i] = pixels[i * 4 + 1];  // grey: any channel will do
    }
    (void)SelectObject(canvas.dc, oldBitmap);
    (void)DeleteObject(bitmap);
    return coverage;
}

}  // namespace

TextOverlay::~TextOverlay()
{
    Release();
}

void TextOverlay::Release()
{
    if (texture != 0) {
        glDeleteTextures(1, &texture);
        texture = 0;
    }
    width = 0;
    height = 0;
}

void TextOverlay::SetText(const std::vector<std::string>& lines, int32_t pixels, TextAlign align)
{
    std::vector<OverlayLine> sized;
    for (const std::string& line : lines) {
        sized.push_back(OverlayLine{line, pixels});
    }
    SetText(sized, align);
}

void TextOverlay::SetText(const std::vector<OverlayLine>& lines, TextAlign align)
{
    Release();
    LineCanvas canvas(lines);
    int32_t textWidth = 0;
    int32_t textHeight = 0;
    int32_t largest = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        textWidth = std::max<int32_t>(textWidth, canvas.measuredLines[i].size.cx);
        textHeight += canvas.measuredLines[i].size.cy;
        largest = std::max(largest, lines[i].pixels);
    }
    if (canvas.dc == nullptr || textWidth <= 0 || textHeight <= 0) {
        return;
    }
    const int32_t softness = ShadowSoftness(largest);
    const int32_t margin = 2 * softness;
    const int32_t boxWidth = textWidth + 2 * margin;
    const int32_t boxHeight = textHeight + 2 * margin;
    GLint largestTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largestTexture);
    if (boxWidth > largestTexture || boxHeight > largestTexture) {
        return;
    }
    const std::vector<uint8_t> coverage = DrawCoverage(canvas, boxWidth, boxHeight, margin, align);
    if (coverage.empty()) {
        return;
    }
    const std::vector<uint8_t> rgba = ShadowedText(coverage, boxWidth, boxHeight, softness);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Clamped, so that a scaled quad's edges sample no texel of the far side.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, boxWidth, boxHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    width = boxWidth;
    height = boxHeight;
}

void TextOverlay::Draw(const Viewport& viewport, int32_t x, int32_t y, float opacity, float scale) const
{
    if (texture == 0 || opacity <= 0.0f || viewport.width <= 0 || viewport.height <= 0) {
        return;
    }
    glPushAttrib(GL_VIEWPORT_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // One unit a pixel, rows downwards: whole-pixel corners put every texel
    // on one pixel, so that text at scale 1 is as sharp as GDI drew it.
    glOrtho(0.0, viewport.width, viewport.height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const float shown = std::min(opacity, 1.0f);
    // Premultiplied texels: the opacity scales colour and alpha alike.
    glColor4f(shown, shown, shown, shown);
    const float right = static_cast<float>(x) + static_cast<float>(width) * scale;
    const float bottom = static_cast<float>(y) + static_cast<float>(height) * scale;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(static_cast<float>(x), static_cast<float>(y));
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(right, static_cast<float>(y));
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(right, bottom);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(static_cast<float>(x), bottom);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
