#include "picture/win32_desktop_capture.h"

#include "picture/picture_math.h"

// Copies the whole screen into `bitmap`, stretched independently in x and y.
static void CopyScreen(HDC screen, HBITMAP bitmap, PixelSize screenSize, PixelSize bitmapSize)
{
    HDC memory = CreateCompatibleDC(screen);
    if (memory == nullptr) {
        return;
    }
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    // Drop surplus rows and columns when shrinking instead of HALFTONE's
    // averaging: faster, and the picture goes under wobbling water anyway.
    (void)SetStretchBltMode(memory, COLORONCOLOR);
    (void)StretchBlt(memory, 0, 0, bitmapSize.width, bitmapSize.height, screen, 0, 0,
                     screenSize.width, screenSize.height, SRCCOPY);
    // The caller gets the bitmap selected into no device context, ready for
    // GetDIBits.
    (void)SelectObject(memory, previous);
    (void)DeleteDC(memory);
}

HBITMAP CaptureDesktop()
{
    const PixelSize screenSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const PixelSize bitmapSize = SnapshotSize(screenSize.width, screenSize.height);
    if (bitmapSize.width == 0 || bitmapSize.height == 0) {
        return nullptr;
    }
    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    if (screen == nullptr) {
        return nullptr;
    }
    // Compatible with the screen's context, not the memory one, which would
    // give a monochrome bitmap.
    HBITMAP bitmap = CreateCompatibleBitmap(screen, bitmapSize.width, bitmapSize.height);
    if (bitmap != nullptr) {
        CopyScreen(screen, bitmap, screenSize, bitmapSize);
    }
    (void)ReleaseDC(desktop, screen);
    return bitmap;
}
