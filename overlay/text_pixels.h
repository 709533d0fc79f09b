#pragma once

#include <cstdint>
#include <vector>

// Light text legible over any picture: white glyphs over a soft dark shadow
// that also outlines them.
//
// `coverage` holds how much of each pixel the glyphs cover, 0 to 255, one
// byte a pixel, rows top down, `width` x `height`. The result has the same
// size, four bytes a pixel in the order R, G, B, A, premultiplied by alpha
// (blend with source factor 1), rows top down. `softness` is the shadow's
// blur radius in pixels; the glyphs need that much free room around them.
std::vector<uint8_t> ShadowedText(const std::vector<uint8_t>& coverage, int32_t width, int32_t height,
                                  int32_t softness);

// The free room ShadowedText needs around glyphs drawn `pixels` high.
int32_t ShadowSoftness(int32_t pixels);
