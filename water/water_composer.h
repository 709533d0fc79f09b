#pragma once

#include <cstdint>
#include <vector>

#include "water/realistic_water.h"

// The realistic look composed on the CPU: the frame the shader draws, made
// from the same light map, for a renderer that takes longer over the shader's
// full-screen pass than over composing the frame here, uploading it and
// copying it out unchanged (a software renderer, whose copy of a texture
// straight onto the screen is a plain memory copy).
//
// Pixels are 4 bytes each in B, G, R, A order (as GL_BGRA uploads them),
// `width` x `height`, rows bottom-up: row 0 is the monitor's bottom row, as
// in an OpenGL texture. The light map's rows run top-down (water_light.h).

struct MonitorPixels {
    std::vector<uint8_t> bgra;  // width * height * 4 bytes; empty: black
    int32_t width = 0;
    int32_t height = 0;
};

// The picture as a monitor of that size shows it through still water: each
// monitor pixel takes the texel the shader reads for it (the nearest, as the
// shader reads a picture full screen), black outside the picture's area.
// `texels` holds the texture (textureWidth x textureHeight, B, G, R, A,
// bottom-up).
void PlacePicture(const uint8_t* texels, int32_t textureWidth, int32_t textureHeight, const PicturePlace& place,
                  int32_t monitorWidth, int32_t monitorHeight, MonitorPixels& placed);

class WaterComposer {
public:
    // For a monitor of that many pixels, lit by maps of columns x rows texels.
    void Init(int32_t monitorWidth, int32_t monitorHeight, int32_t lightColumns, int32_t lightRows);
    // Whether Init was given that monitor and maps of that size.
    bool ComposesFor(int32_t monitorWidth, int32_t monitorHeight, const LightMapView& light) const
    {
        return width == monitorWidth && height == monitorHeight && columns == light.width && rows == light.height;
    }

    // Rows [firstRow, firstRow + rowCount) of the frame into `out` (rowCount
    // rows of width pixels): the picture seen through the water, the
    // incoming one `fade` (0 to 1) of the way in where there is one (null or
    // empty: none), lit. Pictures of another size than the monitor's, and
    // maps of another size than Init's, give black.
    void Compose(const LightMapView& light, const MonitorPixels& shown, const MonitorPixels* incoming, float fade,
                 int32_t firstRow, int32_t rowCount, uint8_t* out);

private:
    void PrepareLightRow(const LightMapView& light, int32_t lightRow);
    void GatherRow(const MonitorPixels& picture, int32_t row, uint8_t* into) const;

    int32_t width = 0;
    int32_t height = 0;
    int32_t columns = 0;
    int32_t rows = 0;
    // For each light column: the first monitor column it covers (and one
    // past the last column).
    std::vector<int32_t> cellStart;
    // For the light row prepared: per light column, the displacement in
    // whole pixels (right; up), and per byte of a monitor row the caustic's
    // factor (128: as it is) and the reflected light to add.
    int32_t preparedRow = -1;
    std::vector<int32_t> shiftRight;
    std::vector<int32_t> shiftUp;
    std::vector<uint8_t> factor;
    std::vector<uint8_t> added;
    // For every A byte, the reflected light in B, G, R; for every R or G
    // byte, its displacement in whole pixels.
    std::vector<uint8_t> reflection;
    std::vector<int32_t> pixelShift;
    std::vector<uint8_t> gathered;
    std::vector<uint8_t> gatheredIncoming;
};
