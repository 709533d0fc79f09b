#include "render/win32_input_source.h"

#include <windows.h>

// Declared only for newer Windows versions; the values are fixed.
#ifndef WM_TOUCH
#define WM_TOUCH 0x0240
#endif
#ifndef WM_POINTERDOWN
#define WM_NCPOINTERDOWN 0x0242
#define WM_POINTERDOWN 0x0246
#define WM_POINTERWHEEL 0x024E
#define WM_POINTERHWHEEL 0x024F
#endif

// lParam's bit 30 of a key-down: the key was already down (a repeat).
static const LPARAM keyWasDown = 0x40000000;

bool IsTouch(const MSG& message)
{
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return (message.lParam & keyWasDown) == 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_TOUCH:
    case WM_NCPOINTERDOWN:
    case WM_POINTERDOWN:
    case WM_POINTERWHEEL:
    case WM_POINTERHWHEEL:
        return true;
    default:
        return false;
    }
}

void Win32InputSource::ReadKeyboard(uint8_t keys[256])
{
    (void)GetKeyboardState(keys);
}

void Win32InputSource::ReadCursor(int32_t& x, int32_t& y)
{
    POINT position = {0, 0};
    (void)GetCursorPos(&position);
    x = position.x;
    y = position.y;
}
