#pragma once

#include <cstdint>
#include <vector>

#include "water/wave_field.h"

// The light of the water, worked out once per frame on the wave field's grid
// and uploaded by the OpenGL side as one RGBA8 texture over the whole monitor
// (one texel per cell, texel (i, j) at byte 4 * (i + j * columns), row 0 the
// monitor's TOP row; upload it bottom-up or flip t in the shader).
//
//   R  displacement across: where the pixel looks, (R - 128) / 127 of
//      displacementFullScale monitor HEIGHTS to the right (negative: left);
//   G  displacement down: (G - 128) / 127 of displacementFullScale monitor
//      heights downwards (negative: up). 128 in both is no displacement.
//      Refraction through water of even depth, seen straight down: the
//      pixel at p shows the picture at p + (dx, dy).
//   B  caustic brightness: the picture beneath is lit by B / 128 (128 as it
//      is; bright bands focused by the crests, darker between). The map's
//      mean is 128, so the picture's average brightness stays.
//   A  reflected light a = A / 255: sharp glints where the surface faces the
//      light above, a little sky at steep flanks. The shader adds
//      a * mix(skyColour, white, a) to the lit picture: faint reflections are
//      the sky's colour, the strongest white.
//
// Still water is (128, 128, 128, 0) in every texel, so that the picture shows
// pixel for pixel. In GLSL, with t the sampled texel (0..1 per channel):
//   vec2 offset = (t.rg * 255.0 - 128.0) / 127.0 * displacementFullScale;
//   offset.x *= monitorHeight / monitorWidth;   // to texture coordinates
//   colour = picture(uv + offset) * (t.b * 255.0 / 128.0);
//   colour += t.a * mix(skyColour, vec3(1.0), t.a);

// The displacement that R or G of 255 (and 1) stands for, in monitor heights.
// Displacements are held within it: the desktop stays recognisably in place.
constexpr float displacementFullScale = 0.02f;
// The colour the steep flanks reflect: a pale sky blue, linear 0..1 RGB.
constexpr float skyColour[3] = {0.62f, 0.76f, 0.92f};

class WaterLight {
public:
    // Sizes the map for a field of that many cells; Compute does it too on a
    // field of another size, so this only moves the allocation to the start.
    void Init(int32_t columns, int32_t rows);

    // The map for the field's heights as they are now.
    void Compute(const WaveField& field);

    // columns x rows texels of 4 bytes each, as described above.
    const std::vector<uint8_t>& Texels() const { return texels; }
    int32_t Columns() const { return columns; }
    int32_t Rows() const { return rows; }

private:
    int32_t columns = 0;
    int32_t rows = 0;
    std::vector<uint8_t> texels;
    std::vector<float> brightness;  // the caustic before its mean is taken out
    std::vector<float> rowLight;    // one row's displacements and reflections, before they become bytes
};
