#include "picture_test_files.h"

#include <cstdlib>
#include <ostream>

namespace picture_test {

bool operator==(const Rgb& a, const Rgb& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

std::ostream& operator<<(std::ostream& out, const Rgb& colour)
{
    return out << "rgb(" << int(colour.r) << ", " << int(colour.g) << ", " << int(colour.b) << ")";
}

bool Near(const Rgb& expected, const Rgb& actual, int tolerance)
{
    return std::abs(expected.r - actual.r) <= tolerance &&
           std::abs(expected.g - actual.g) <= tolerance &&
           std::abs(expected.b - actual.b) <= tolerance;
}

Rgb QuadrantColour(int x, int y, int width, int height)
{
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;
    if (bottom) {
        return right ? kYellow : kBlue;
    }
    return right ? kGreen : kRed;
}

static void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

std::vector<uint8_t> MakeBmpFile(int width, int height, const std::vector<Rgb>& topDownPixels)
{
    const uint32_t rowSize = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    const uint32_t imageSize = rowSize * static_cast<uint32_t>(height);
    const uint32_t headersSize = 14 + 40;
    std::vector<uint8_t> bytes = {'B', 'M'};
    PutLittleEndian(bytes, headersSize + imageSize, 4);
    PutLittleEndian(bytes, 0, 4);
    PutLittleEndian(bytes, headersSize, 4);
    PutLittleEndian(bytes, 40, 4);
    PutLittleEndian(bytes, static_cast<uint32_t>(width), 4);
    PutLittleEndian(bytes, static_cast<uint32_t>(height), 4);
    PutLittleEndian(bytes, 1, 2);
    PutLittleEndian(bytes, 24, 2);
    PutLittleEndian(bytes, BI_RGB, 4);
    PutLittleEndian(bytes, imageSize, 4);
    PutLittleEndian(bytes, 3780, 4); // 96 dpi in pixels per metre
    PutLittleEndian(bytes, 3780, 4);
    PutLittleEndian(bytes, 0, 4);
    PutLittleEndian(bytes, 0, 4);
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const Rgb& pixel = topDownPixels[static_cast<size_t>(row) * width + x];
            bytes.insert(bytes.end(), {pixel.b, pixel.g, pixel.r});
        }
        bytes.resize(bytes.size() + (rowSize - static_cast<uint32_t>(width) * 3), 0);
    }
    return bytes;
}

std::vector<uint8_t> MakeBmpFile(int width, int height, ColourAt colour)
{
    std::vector<Rgb> pixels;
    pixels.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(colour(x, y, width, height));
        }
    }
    return MakeBmpFile(width, height, pixels);
}

std::vector<uint8_t> TestResource(int id)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10)); // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return {};
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + SizeofResource(module, found));
}

Rgb TextureImage::At(int x, int y) const
{
    const size_t at = (static_cast<size_t>(y) * width + x) * 4;
    return Rgb{rgba[at], rgba[at + 1], rgba[at + 2]};
}

uint8_t TextureImage::AlphaAt(int x, int y) const
{
    return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3];
}

TextureImage ReadTexture(GLuint texture)
{
    TextureImage image;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &image.internalFormat);
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    if (!image.rgba.empty()) {
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    }
    return image;
}

} // namespace picture_test
