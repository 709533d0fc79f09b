#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// Helpers of the picture tests: pictures made in memory and textures read
// back from GL; the files themselves go into a ScratchFolder. Their own
// namespace keeps them apart from the other modules' helpers in the same test
// program.
namespace picture_test {

struct Rgb {
    uint8_t r;
    uint8_t g;
    uint8_t b;
};

bool operator==(const Rgb& a, const Rgb& b);
std::ostream& operator<<(std::ostream& out, const Rgb& colour);
// Every channel within `tolerance` of the expected one (lossy formats).
bool Near(const Rgb& expected, const Rgb& actual, int tolerance);

const Rgb kRed = {255, 0, 0};
const Rgb kGreen = {0, 255, 0};
const Rgb kBlue = {0, 0, 255};
const Rgb kYellow = {255, 255, 0};
const Rgb kBlack = {0, 0, 0};
const Rgb kWhite = {255, 255, 255};

// The test picture seen upright: red top left, green top right, blue bottom
// left, yellow bottom right. x runs right and y down, as in a picture viewer.
Rgb QuadrantColour(int x, int y, int width, int height);

// A 24-bit BMP file whose pixel (x, y), y counted from the top, is colour(x, y).
using ColourAt = Rgb (*)(int x, int y, int width, int height);
std::vector<uint8_t> MakeBmpFile(int width, int height, ColourAt colour);
// The same from an explicit list of pixels, top row first.
std::vector<uint8_t> MakeBmpFile(int width, int height, const std::vector<Rgb>& topDownPixels);

// The bytes of an RCDATA resource of the test program.
std::vector<uint8_t> TestResource(int id);

// A texture's level 0 as GL holds it, rows bottom-up, read back as RGBA.
struct TextureImage {
    int width = 0;
    int height = 0;
    GLint internalFormat = 0;
    std::vector<uint8_t> rgba;

    // Texel x, y with y counted from the bottom row, which is t = 0.
    Rgb At(int x, int y) const;
    uint8_t AlphaAt(int x, int y) const;
    // The texel at the centre of a quadrant of the picture seen upright.
    Rgb TopLeft() const { return At(width / 4, height * 3 / 4); }
    Rgb TopRight() const { return At(width * 3 / 4, height * 3 / 4); }
    Rgb BottomLeft() const { return At(width / 4, height / 4); }
    Rgb BottomRight() const { return At(width * 3 / 4, height / 4); }
};

TextureImage ReadTexture(GLuint texture);

} // namespace picture_test
