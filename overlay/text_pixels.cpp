#include "overlay/text_pixels.h"

#include <algorithm>

namespace {

// A running mean over 2 * radius + 1 pixels along rows (step 1) or columns
// (step width); pixels beyond the edge count as uncovered.
void BoxBlur(std::vector<uint32_t>& values, int32_t width, int32_t height, int32_t radius, bool alongRows)
{
    const int32_t lines = alongRows ? height : width;
    const int32_t length = alongRows ? width : height;
    const int32_t step = alongRows ? 1 : width;
    const uint32_t span = static_cast<uint32_t>(2 * radius + 1);
    std::vector<uint32_t> line(static_cast<size_t>(length));
    for (int32_t l = 0; l < lines; ++l) {
        const size_t first = alongRows ? static_cast<size_t>(l) * width : static_cast<size_t>(l);
        for (int32_t i = 0; i < length; ++i) {
            line[static_cast<size_t>(i)] = values[first + static_cast<size_t>(i) * step];
        }
        uint32_t sum = 0;
        for (int32_t i = 0; i < radius && i < length; ++i) {
            sum += line[static_cast<size_t>(i)];
        }
        for (int32_t i = 0; i < length; ++i) {
            if (i + radius < length) {
                sum += line[static_cast<size_t>(i + radius)];
            }
            if (i - radius - 1 >= 0) {
                sum -= line[static_cast<size_t>(i - radius - 1)];
            }
            values[first + static_cast<size_t>(i) * step] = sum / span;
        }
    }
}

}  // namespace

int32_t ShadowSoftness(int32_t pixels)
{
    return std::max(1, pixels / 12);
}

std::vector<uint8_t> ShadowedText(const std::vector<uint8_t>& coverage, int32_t width, int32_t height,
                                  int32_t softness)
{
    const size_t count = static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0));
    std::vector<uint8_t> rgba(count * 4, 0);
    if (count == 0 || coverage.size() < count) {
        return rgba;
    }
    // The shadow: the glyphs thickened (an outline on every side, twice the
    // strength), then blurred twice, which is close to a gaussian.
    std::vector<uint32_t> shadow(coverage.begin(), coverage.begin() + static_cast<std::ptrdiff_t>(count));
    for (uint32_t& value : shadow) {
        value = std::min<uint32_t>(255, value * 2);
    }
    const int32_t radius = std::max(1, softness / 2);
    for (int pass = 0; pass < 2; ++pass) {
        BoxBlur(shadow, width, height, radius, true);
        BoxBlur(shadow, width, height, radius, false);
    }
    for (size_t i = 0; i < count; ++i) {
        const uint32_t text = coverage[i];
        const uint32_t dark = std::min<uint32_t>(255, shadow[i] * 2);
        // Text over shadow: alpha = t + s (1 - t); the shadow adds no light.
        const uint32_t alpha = text + dark * (255 - text) / 255;
        rgba[i * 4 + 0] = static_cast<uint8_t>(text);
        rgba[i * 4 + 1] = static_cast<uint8_t>(text);
        rgba[i * 4 + 2] = static_cast<uint8_t>(text);
        rgba[i * 4 + 3] = static_cast<uint8_t>(alpha);
    }
    return rgba;
}
