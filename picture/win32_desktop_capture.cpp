#include "picture/win32_desktop_capture.h"

#include "picture/picture_math.h"

// Copies the area into `bitmap`, stretched independently in x and y.
static void CopyScreen(HDC screen, HBITMAP bitmap, const ScreenRect& area, PixelSize bitmapSize)
{
    HDC memory = CreateCompatibleDC(screen);
    if (memory == nullptr) {
        return;
    }
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    // Drop surplus rows and columns when shrinking instead of HALFTONE's
    // averaging: faster, and the picture goes under wobbling water anyway.
    (void)SetStretchBltMode(memory, COLORONCOLOR);
    (void)StretchBlt(memory, 0, 0, bitmapSize.width, bitmapSize.height, screen, area.left, area.top, area.Width(),
                     area.Height(), SRCCOPY);
    // The caller gets the bitmap selected into no device context, ready for
    // GetDIBits.
    (void)SelectObject(memory, previous);
    (void)DeleteDC(memory);
}

HBITMAP CaptureScreenArea(const ScreenRect& area, PixelSize size)
{
    if (size.width <= 0 || size.height <= 0) {
        return nullptr;
    }
    // The whole screen's context, in screen coordinates: every monitor, the
    // primary one's top-left corner at (0, 0).
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return nullptr;
    }
    // Compatible with the screen's context, not the memory one, which would
    // give a monochrome bitmap.
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.width, size.height);
    if (bitmap != nullptr) {
        CopyScreen(screen, bitmap, area, size);
    }
    (void)ReleaseDC(nullptr, screen);
    return bitmap;
}
