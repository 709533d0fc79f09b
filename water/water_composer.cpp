#include "water/water_composer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t bytesPerPixel = 4;

// The nearest of `count` texels for a point `at` (0..1) along them, as a
// texture read clamped to its edges takes it.
int32_t NearestTexel(float at, int32_t count)
{
    const float scaled = std::floor(at * static_cast<float>(count));
    if (!(scaled >= 0.0f)) {
        return 0;
    }
    return scaled >= static_cast<float>(count - 1) ? count - 1 : static_cast<int32_t>(scaled);
}

// Where a monitor pixel's centre lies, 0..1 along `count` pixels.
float PixelCentre(int32_t pixel, int32_t count)
{
    return (static_cast<float>(pixel) + 0.5f) / static_cast<float>(count);
}

// Each monitor pixel along one side: the texel it reads, or -1 outside the
// picture's area [low, high] on that side.
std::vector<int32_t> TexelsAlong(int32_t monitorPixels, int32_t texels, float scale, float offset, float low,
                                 float high)
{
    std::vector<int32_t> along(static_cast<size_t>(monitorPixels), -1);
    for (int32_t pixel = 0; pixel < monitorPixels; ++pixel) {
        const float at = PixelCentre(pixel, monitorPixels);
        if (at >= low && at <= high) {
            along[static_cast<size_t>(pixel)] = NearestTexel(at * scale + offset, texels);
        }
    }
    return along;
}

int32_t Clamped(int32_t value, int32_t last)
{
    return value < 0 ? 0 : (value > last ? last : value);
}

// A displacement of the light map's R or G byte, in whole monitor pixels: the
// shader's offset from a pixel's centre, rounded as its nearest read rounds.
int32_t ShiftInPixels(int32_t byte, float monitorHeight)
{
    const float pixels = static_cast<float>(byte - 128) * (displacementFullScale / 127.0f) * monitorHeight;
    return static_cast<int32_t>(std::floor(0.5f + pixels));
}

// Byte by byte, in 16-bit lanes (255 * 256 + 128 stays below 65536): the
// shown picture's `shownShare` / 256 and the incoming one's the rest.
void MixBytes(uint8_t* shown, const uint8_t* incoming, uint16_t shownShare, uint16_t incomingShare, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        shown[i] = static_cast<uint8_t>((shown[i] * shownShare + incoming[i] * incomingShare + 128) >> 8);
    }
}

// The caustic scales the picture by factor / 128 (still water: 128, each byte
// exactly as it is); the reflected light adds on, held to a byte. All bytes,
// so that the loop runs in 16-bit vector lanes: 255 * 255 + 64 stays below
// 65536.
void LightBytes(const uint8_t* picture, const uint8_t* factor, const uint8_t* added, uint8_t* out, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const uint16_t value = static_cast<uint16_t>(((picture[i] * factor[i] + 64) >> 7) + added[i]);
        out[i] = static_cast<uint8_t>(value > 255 ? 255 : value);
    }
}

}  // namespace

void PlacePicture(const uint8_t* texels, int32_t textureWidth, int32_t textureHeight, const PicturePlace& place,
                  int32_t monitorWidth, int32_t monitorHeight, MonitorPixels& placed)
{
    placed.width = std::max(0, monitorWidth);
    placed.height = std::max(0, monitorHeight);
    placed.bgra.assign(static_cast<size_t>(placed.width) * static_cast<size_t>(placed.height) * bytesPerPixel, 0);
    if (texels == nullptr || textureWidth <= 0 || textureHeight <= 0) {
        return;
    }
    const std::vector<int32_t> columns =
        TexelsAlong(placed.width, textureWidth, place.scaleU, place.offsetU, place.left, place.right);
    const std::vector<int32_t> rows =
        TexelsAlong(placed.height, textureHeight, place.scaleV, place.offsetV, place.bottom, place.top);
    for (int32_t y = 0; y < placed.height; ++y) {
        const int32_t row = rows[static_cast<size_t>(y)];
        if (row < 0) {
            continue;
        }
        const uint8_t* from = texels + static_cast<size_t>(row) * static_cast<size_t>(textureWidth) * bytesPerPixel;
        uint8_t* to = placed.bgra.data() + static_cast<size_t>(y) * static_cast<size_t>(placed.width) * bytesPerPixel;
        for (int32_t x = 0; x < placed.width; ++x) {
            const int32_t column = columns[static_cast<size_t>(x)];
            if (column >= 0) {
                std::memcpy(to + x * bytesPerPixel, from + column * bytesPerPixel, bytesPerPixel);
                to[x * bytesPerPixel + 3] = 255;
            }
        }
    }
}

void WaterComposer::Init(int32_t monitorWidth, int32_t monitorHeight, int32_t lightColumns, int32_t lightRows)
{
    width = std::max(0, monitorWidth);
    height = std::max(0, monitorHeight);
    columns = std::max(0, lightColumns);
    rows = std::max(0, lightRows);
    // A monitor column belongs to the light texel its centre reads.
    cellStart.assign(static_cast<size_t>(columns) + 1, width);
    for (int32_t x = width - 1; x >= 0 && columns > 0; --x) {
        cellStart[static_cast<size_t>(NearestTexel(PixelCentre(x, width), columns))] = x;
    }
    for (int32_t cell = columns - 1; cell >= 0; --cell) {
        cellStart[static_cast<size_t>(cell)] =
            std::min(cellStart[static_cast<size_t>(cell)], cellStart[static_cast<size_t>(cell) + 1]);
    }
    shiftRight.assign(static_cast<size_t>(columns), 0);
    shiftUp.assign(static_cast<size_t>(columns), 0);
    const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    factor.assign(rowBytes, 128);
    added.assign(rowBytes, 0);
    gathered.assign(rowBytes, 0);
    gatheredIncoming.assign(rowBytes, 0);
    // Reflected light a * mix(sky, white, a), a = A / 255, as bytes in B, G,
    // R order, for every A.
    reflection.resize(256 * 3);
    for (int alpha = 0; alpha < 256; ++alpha) {
        const float a = static_cast<float>(alpha) / 255.0f;
        for (int channel = 0; channel < 3; ++channel) {
            const float sky = skyColour[2 - channel];
            reflection[static_cast<size_t>(alpha * 3 + channel)] =
                static_cast<uint8_t>(std::lround(255.0f * a * (sky + (1.0f - sky) * a)));
        }
    }
    pixelShift.resize(256);
    for (int byte = 0; byte < 256; ++byte) {
        pixelShift[static_cast<size_t>(byte)] = ShiftInPixels(byte, static_cast<float>(height));
    }
    preparedRow = -1;
}

// The caustic's factor and the reflected light of one light row, spread over
// the bytes of a monitor row; its displacements per light column.
void WaterComposer::PrepareLightRow(const LightMapView& light, int32_t lightRow)
{
    const uint8_t* texel = light.rgba + static_cast<size_t>(lightRow) * static_cast<size_t>(columns) * 4;
    for (int32_t cell = 0; cell < columns; ++cell, texel += 4) {
        shiftRight[static_cast<size_t>(cell)] = pixelShift[texel[0]];
        // The map's G is downwards; rows here count up.
        shiftUp[static_cast<size_t>(cell)] = -pixelShift[texel[1]];
        const uint8_t* reflected = reflection.data() + texel[3] * 3;
        // B, G, R scaled by the caustic, then the reflected light; opaque,
        // whatever the picture's own alpha.
        const uint8_t pixelFactor[bytesPerPixel] = {texel[2], texel[2], texel[2], 0};
        const uint8_t pixelAdded[bytesPerPixel] = {reflected[0], reflected[1], reflected[2], 255};
        for (int32_t x = cellStart[static_cast<size_t>(cell)]; x < cellStart[static_cast<size_t>(cell) + 1]; ++x) {
            std::memcpy(factor.data() + x * bytesPerPixel, pixelFactor, bytesPerPixel);
            std::memcpy(added.data() + x * bytesPerPixel, pixelAdded, bytesPerPixel);
        }
    }
    preparedRow = lightRow;
}

// One monitor row of the picture as the waves displace it: each light
// column's pixels read from their displaced place, held inside the monitor.
void WaterComposer::GatherRow(const MonitorPixels& picture, int32_t row, uint8_t* into) const
{
    const int32_t lastColumn = width - 1;
    const int32_t lastRow = height - 1;
    for (int32_t cell = 0; cell < columns; ++cell) {
        const int32_t first = cellStart[static_cast<size_t>(cell)];
        const int32_t end = cellStart[static_cast<size_t>(cell) + 1];
        const int32_t fromRow = Clamped(row + shiftUp[static_cast<size_t>(cell)], lastRow);
        const uint8_t* source = picture.bgra.data() + static_cast<size_t>(fromRow) * static_cast<size_t>(width) * 4;
        const int32_t shift = shiftRight[static_cast<size_t>(cell)];
        if (first + shift >= 0 && end + shift <= width) {
            // Most cells are 4 pixels wide: a copy of fixed size is one move.
            if (end - first == 4) {
                std::memcpy(into + first * bytesPerPixel, source + (first + shift) * bytesPerPixel, 16);
                continue;
            }
            std::memcpy(into + first * bytesPerPixel, source + (first + shift) * bytesPerPixel,
                        static_cast<size_t>(end - first) * bytesPerPixel);
            continue;
        }
        for (int32_t x = first; x < end; ++x) {
            std::memcpy(into + x * bytesPerPixel, source + Clamped(x + shift, lastColumn) * bytesPerPixel,
                        bytesPerPixel);
        }
    }
}

void WaterComposer::Compose(const LightMapView& light, const MonitorPixels& shown, const MonitorPixels* incoming,
                            float fade, int32_t firstRow, int32_t rowCount, uint8_t* out)
{
    const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    const auto fits = [this](const MonitorPixels& picture) {
        return picture.width == width && picture.height == height &&
               picture.bgra.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * bytesPerPixel;
    };
    const bool lit = light.rgba != nullptr && light.width == columns && light.height == rows && columns > 0 &&
                     rows > 0 && fits(shown);
    const bool crossfade = lit && incoming != nullptr && fits(*incoming) && fade > 0.0f;
    const uint16_t incomingShare = static_cast<uint16_t>(std::lround(std::min(fade, 1.0f) * 256.0f));
    const uint16_t shownShare = static_cast<uint16_t>(256 - incomingShare);
    preparedRow = -1;
    for (int32_t row = firstRow; row < firstRow + rowCount; ++row) {
        uint8_t* to = out + static_cast<size_t>(row - firstRow) * rowBytes;
        if (!lit || row < 0 || row >= height) {
            std::memset(to, 0, rowBytes);
            continue;
        }
        // The light texel a pixel centre reads; the map's row 0 is the top.
        const int32_t lightRow = NearestTexel(1.0f - PixelCentre(row, height), rows);
        if (lightRow != preparedRow) {
            PrepareLightRow(light, lightRow);
        }
        GatherRow(shown, row, gathered.data());
        if (crossfade) {
            GatherRow(*incoming, row, gatheredIncoming.data());
            MixBytes(gathered.data(), gatheredIncoming.data(), shownShare, incomingShare, rowBytes);
        }
        LightBytes(gathered.data(), factor.data(), added.data(), to, rowBytes);
    }
}
