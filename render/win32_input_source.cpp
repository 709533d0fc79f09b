#include "render/win32_input_source.h"

#include <windows.h>

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
