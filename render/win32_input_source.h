#pragma once

#include <windows.h>

#include "render/input_watch.h"

// A key, a mouse button or a touch or pen contact going down, or a wheel
// turned: whatever the user does on purpose, but moving the pointer, which
// the cursor watch judges. A key held since before the saver started sends
// only repeats, which do not count.
bool IsTouch(const MSG& message);

// The thread's keyboard state, which follows the keyboard messages the main
// loop has removed so far, and the cursor position on the screen.
class Win32InputSource : public InputSource {
public:
    void ReadKeyboard(uint8_t keys[256]) override;
    void ReadCursor(int32_t& x, int32_t& y) override;
};
