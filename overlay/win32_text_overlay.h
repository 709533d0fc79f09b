#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/monitor_layout.h"

// One line of an overlay's text: UTF-8, and its height in pixels (the em
// height, as the font is asked for).
struct OverlayLine {
    std::string text;
    int32_t pixels;
};

enum class TextAlign { Left, Center, Right };

// Text shown crisp over the water: drawn with GDI into a texture once per
// change of text, then drawn each frame as one screen-aligned quad over
// whatever the frame holds, blended, with an opacity for fades. Light text
// with a soft dark shadow (text_pixels.h), grayscale anti-aliased (ClearType's
// colour fringes would show on a texture drawn over pictures).
//
// The overlay owns its texture: SetText and the destructor need the
// rendering context current, and the overlay must go before the context.
class TextOverlay {
public:
    TextOverlay() = default;
    ~TextOverlay();
    TextOverlay(const TextOverlay&) = delete;
    TextOverlay& operator=(const TextOverlay&) = delete;

    // Draws the lines into the texture, each aligned in the box as asked;
    // no lines (or only empty ones) leave the overlay empty, drawing nothing.
    void SetText(const std::vector<OverlayLine>& lines, TextAlign align = TextAlign::Center);
    // The same font height for every line.
    void SetText(const std::vector<std::string>& lines, int32_t pixels, TextAlign align = TextAlign::Center);

    // The box the text and its shadow fill, in pixels at scale 1.
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    bool Empty() const { return texture == 0; }

    // Draws the box with its top-left corner at (x, y) pixels from the
    // viewport's top-left corner, `scale` times its size, at `opacity` (0 to
    // 1). The viewport is in the output window's GL coordinates (from its
    // bottom-left). Leaves the GL state (matrices, viewport, blending, depth
    // test, texture) as it found it.
    void Draw(const Viewport& viewport, int32_t x, int32_t y, float opacity, float scale = 1.0f) const;

private:
    void Release();

    GLuint texture = 0;
    int32_t width = 0;
    int32_t height = 0;
};
