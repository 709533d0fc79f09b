#pragma once

#include <cstdint>

// Where the watch reads the keyboard and the cursor; the Windows build reads
// the thread's keyboard state and the cursor, tests script their own.
class InputSource {
public:
    // Fills 256 bytes, one per virtual-key code; bit 0x80 means "down".
    virtual void ReadKeyboard(uint8_t keys[256]) = 0;
    // The cursor position in screen pixels.
    virtual void ReadCursor(int32_t& x, int32_t& y) = 0;

protected:
    ~InputSource() = default;
};

struct CursorPosition {
    float x;
    float y;
};

// Ends the full-screen saver on activity by comparing two readings of the
// keyboard and the cursor: a key that went down, or any cursor movement.
class InputWatch {
public:
    // Takes two readings, so that the first test compares real states.
    explicit InputWatch(InputSource& source);

    void Snapshot();
    bool ActivityDetected() const;

private:
    InputSource& source;
    uint8_t keys[256] = {};
    uint8_t previousKeys[256] = {};
    CursorPosition cursor = {0.0f, 0.0f};
    CursorPosition previousCursor = {0.0f, 0.0f};
};
