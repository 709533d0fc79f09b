#include "render/frame_clock.h"

float NextFrameTime(float time)
{
    const float next = time + 1.0f;
    return next >= frameTimeWrap ? 0.0f : next;
}
