#include "render/input_watch.h"

#include <cstring>

static const uint8_t keyDownBit = 0x80;

InputWatch::InputWatch(InputSource& inputSource) : source(inputSource)
{
    Snapshot();
    Snapshot();
}

void InputWatch::Snapshot()
{
    std::memcpy(previousKeys, keys, sizeof keys);
    source.ReadKeyboard(keys);

    int32_t x = 0;
    int32_t y = 0;
    source.ReadCursor(x, y);
    previousCursor = cursor;
    cursor = {static_cast<float>(x), static_cast<float>(y)};
}

bool InputWatch::ActivityDetected() const
{
    // Only a key going down counts: releasing one, or a toggle bit such as
    // Caps Lock's, is not activity. Mouse buttons have key codes too.
    for (int code = 0; code < 256; ++code) {
        const bool wasDown = (previousKeys[code] & keyDownBit) != 0;
        const bool isDown = (keys[code] & keyDownBit) != 0;
        if (!wasDown && isDown) {
            return true;
        }
    }
    return cursor.x != previousCursor.x || cursor.y != previousCursor.y;
}
