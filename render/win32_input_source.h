#pragma once

#include "render/input_watch.h"

// The thread's keyboard state, which follows the keyboard messages the main
// loop has removed so far, and the cursor position on the screen.
class Win32InputSource : public InputSource {
public:
    void ReadKeyboard(uint8_t keys[256]) override;
    void ReadCursor(int32_t& x, int32_t& y) override;
};
