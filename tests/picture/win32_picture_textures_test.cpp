#include <gtest/gtest.h>

#include <ole2.h>

#include <map>
#include <string>
#include <vector>

#include "picture/picture_math.h"
#include "picture/win32_picture_textures.h"
#include "picture_test_data.h"
#include "picture_test_files.h"
#include "res/resource.h"
#include "text/win32_wide.h"
#include "water/win32_water_surface.h"
#include "win32_gl_fixture.h"
#include "win32_scratch_folder.h"

namespace {

using namespace picture_test;

// Written into a texture name before a loader runs: a loader that fails must
// leave it as it was.
const GLuint kUntouched = 4242;

// JPEG blurs colours a little even at high quality.
const int kJpegTolerance = 16;

struct ExpectedQuadrants {
    Rgb topLeft;
    Rgb topRight;
    Rgb bottomLeft;
    Rgb bottomRight;
};

const ExpectedQuadrants kUpright = {kRed, kGreen, kBlue, kYellow};

void ExpectQuadrants(const TextureImage& image, const ExpectedQuadrants& expected, int tolerance)
{
    EXPECT_PRED3(Near, expected.topLeft, image.TopLeft(), tolerance) << "top left";
    EXPECT_PRED3(Near, expected.topRight, image.TopRight(), tolerance) << "top right";
    EXPECT_PRED3(Near, expected.bottomLeft, image.BottomLeft(), tolerance) << "bottom left";
    EXPECT_PRED3(Near, expected.bottomRight, image.BottomRight(), tolerance) << "bottom right";
}

// The built-in picture as its resource holds it: 24-bit rows, bottom-up.
TextureImage BuiltInPictureFromResource()
{
    TextureImage image;
    HANDLE loaded = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BUILTIN_PICTURE),
                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    BITMAP header = {};
    if (loaded == nullptr || GetObjectA(loaded, sizeof header, &header) != sizeof header) {
        return image;
    }
    image.width = header.bmWidth;
    image.height = header.bmHeight;
    const uint8_t* bits = static_cast<const uint8_t*>(header.bmBits);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = bits + static_cast<size_t>(y) * header.bmWidthBytes;
        for (int x = 0; x < image.width; ++x) {
            image.rgba.insert(image.rgba.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255});
        }
    }
    (void)DeleteObject(loaded);
    return image;
}

::testing::AssertionResult IsBuiltInPicture(GLuint texture)
{
    const TextureImage image = ReadTexture(texture);
    if (image.width != 128 || image.height != 128) {
        return ::testing::AssertionFailure()
               << "texture of " << image.width << " x " << image.height;
    }
    if (image.internalFormat != GL_RGB && image.internalFormat != 3) {
        return ::testing::AssertionFailure() << "internal format " << image.internalFormat;
    }
    if (image.rgba != BuiltInPictureFromResource().rgba) {
        return ::testing::AssertionFailure() << "pixels differ from the resource's";
    }
    return ::testing::AssertionSuccess();
}

// A bitmap painted pixel by pixel through GDI, of the given depth (0 for the
// screen's own format).
HBITMAP MakeBitmap(int bitsPerPixel, int width, int height, ColourAt colour)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = nullptr;
    if (bitsPerPixel == 0) {
        bitmap = CreateCompatibleBitmap(screen, width, height);
    } else {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    HDC memory = CreateCompatibleDC(screen);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y, width, height);
            (void)SetPixelV(memory, x, y, RGB(c.r, c.g, c.b));
        }
    }
    (void)GdiFlush();
    (void)SelectObject(memory, previous);
    (void)DeleteDC(memory);
    (void)ReleaseDC(nullptr, screen);
    return bitmap;
}

bool BitmapIsAlive(HBITMAP bitmap)
{
    BITMAP header = {};
    return GetObjectA(bitmap, sizeof header, &header) == sizeof header;
}

class PictureTextures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl.Ready()); }

    std::string QuadrantBmp(int width, int height)
    {
        return folder.Write("quadrants-" + std::to_string(width) + "x" + std::to_string(height) +
                                ".bmp",
                            MakeBmpFile(width, height, QuadrantColour));
    }

    HiddenGLContext gl;
    ScratchFolder folder;
};

TEST_F(PictureTextures, BuiltInPictureGoesUpAsItsResourceHoldsIt)
{
    GLuint texture = 0;
    ASSERT_TRUE(LoadTextureFromResource(&texture, IDB_BUILTIN_PICTURE));
    EXPECT_NE(0u, texture);
    EXPECT_TRUE(IsBuiltInPicture(texture));
}

TEST_F(PictureTextures, MissingResourceCreatesNothing)
{
    GLuint texture = kUntouched;
    EXPECT_FALSE(LoadTextureFromResource(&texture, 999));
    EXPECT_EQ(kUntouched, texture);
}

TEST_F(PictureTextures, PictureFileSidesRoundToPowersOfTwoAndStayUpright)
{
    // Wider than the screen: held to the screen's side, not the context's.
    const std::map<int, int> sideForScreenWidth = {{1024, 1024}, {1280, 1024}, {1600, 2048}, {1920, 2048}};
    const auto screen = sideForScreenWidth.find(GetSystemMetrics(SM_CXSCREEN));
    ASSERT_NE(sideForScreenWidth.end(), screen) << "a screen width this test knows";
    const int screenSide = screen->second;
    const struct {
        int width;
        int height;
        int textureWidth;
        int textureHeight;
    } cases[] = {
        {100, 100, 128, 128},
        {640, 480, 512, 512},
        {800, 600, 1024, 512},
        {64, 64, 64, 64},
        {3000, 100, screenSide, 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        GLuint texture = 0;
        ASSERT_TRUE(LoadTextureFromFile(&texture, QuadrantBmp(c.width, c.height).c_str()));
        const TextureImage image = ReadTexture(texture);
        EXPECT_EQ(c.textureWidth, image.width);
        EXPECT_EQ(c.textureHeight, image.height);
        EXPECT_EQ(GL_RGBA, image.internalFormat);
        ExpectQuadrants(image, kUpright, 0);
    }
}

TEST_F(PictureTextures, JpegFileIsDecodedUpright)
{
    const std::vector<uint8_t> jpeg = TestResource(IDR_QUADRANTS_JPEG);
    ASSERT_FALSE(jpeg.empty());
    GLuint texture = 0;
    ASSERT_TRUE(LoadTextureFromFile(&texture, folder.Write("quadrants.jpg", jpeg).c_str()));
    const TextureImage image = ReadTexture(texture);
    EXPECT_EQ(128, image.width); // 128 x 96 pixels
    EXPECT_EQ(128, image.height);
    ExpectQuadrants(image, kUpright, kJpegTolerance);
}

TEST_F(PictureTextures, WhatTheImagingComponentCannotDecodeGoesThroughTheOleLoader)
{
    const std::string path = folder.Path() + "red.emf";
    const RECT frame = {0, 0, 2000, 1000}; // HIMETRIC, 20 x 10 mm
    HDC metafile = CreateEnhMetaFileA(nullptr, path.c_str(), &frame, nullptr);
    ASSERT_NE(nullptr, metafile);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const RECT everything = {0, 0, 1000, 1000};
    (void)FillRect(metafile, &everything, red);
    (void)DeleteObject(red);
    (void)DeleteEnhMetaFile(CloseEnhMetaFile(metafile));
    GLuint texture = 0;
    ASSERT_TRUE(LoadTextureFromFile(&texture, path.c_str()));
    EXPECT_EQ(kRed, ReadTexture(texture).TopLeft());
}

TEST_F(PictureTextures, OnlyPureBlackPixelsGetAlphaZero)
{
    // Top row: black, red of 1; bottom row: blue of 1, green of 1.
    const Rgb nearlyRed = {1, 0, 0};
    const Rgb nearlyBlue = {0, 0, 1};
    const Rgb nearlyGreen = {0, 1, 0};
    const std::vector<Rgb> pixels = {kBlack, nearlyRed, nearlyBlue, nearlyGreen};
    const std::string path = folder.Write("alpha.bmp", MakeBmpFile(2, 2, pixels));
    GLuint texture = 0;
    ASSERT_TRUE(LoadTextureFromFile(&texture, path.c_str()));
    const TextureImage image = ReadTexture(texture);
    ASSERT_EQ(2, image.width);
    ASSERT_EQ(2, image.height);
    const struct {
        int x;
        int y;
        Rgb colour;
        int alpha;
    } texels[] = {
        {0, 1, kBlack, 0},
        {1, 1, nearlyRed, 255},
        {0, 0, nearlyBlue, 255},
        {1, 0, nearlyGreen, 255},
    };
    for (const auto& t : texels) {
        EXPECT_EQ(t.colour, image.At(t.x, t.y)) << "texel " << t.x << ", " << t.y;
        EXPECT_EQ(t.alpha, image.AlphaAt(t.x, t.y)) << "texel " << t.x << ", " << t.y;
    }
}

// Wine opens a path past MAX_PATH without the "\\?\" prefix as well, so the
// long case checks only that no fixed-size buffer on the way cuts the path
// short; WidePath's own test checks the prefix.
TEST_F(PictureTextures, PathsInAnyScriptAndPastMaxPathLoad)
{
    const std::string unicode = "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x8C\xB4 \xE5\x86\x99\xE7\x9C\x9F";
    const size_t folderUnits = WideFromUtf8(folder.MakeFolder(unicode) + "\\").size();
    for (const size_t length : {size_t{200}, size_t{400}}) {
        SCOPED_TRACE(length);
        // Padded to `length` UTF-16 units, as Windows counts, in a subfolder
        // and a file name, as one name holds 255 at most.
        const size_t padding = length - folderUnits - 4 - 1;
        const std::string subfolder = unicode + "\\" + std::string(padding / 2, 'f');
        (void)folder.MakeFolder(subfolder);
        const std::string name = subfolder + "\\" + std::string(padding - padding / 2, 'p') + ".bmp";
        const std::string path = folder.Write(name, MakeBmpFile(16, 16, QuadrantColour));
        ASSERT_EQ(length, WideFromUtf8(path).size());
        GLuint texture = 0;
        ASSERT_TRUE(LoadTextureFromFile(&texture, path.c_str()));
        EXPECT_EQ(16, ReadTexture(texture).width);
    }
}

TEST_F(PictureTextures, UnloadableFilesEndAtTheBuiltInPicture)
{
    const std::vector<uint8_t> jpeg = TestResource(IDR_QUADRANTS_JPEG);
    ASSERT_FALSE(jpeg.empty());
    std::vector<uint8_t> noise(4096);
    uint32_t seed = 12345;
    for (uint8_t& byte : noise) {
        seed = seed * 1103515245 + 12345;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    const std::vector<uint8_t> jpegCutInScan(jpeg.begin(), jpeg.end() - 40);
    const std::vector<uint8_t> jpegCutInHeader(jpeg.begin(), jpeg.begin() + 100);
    std::vector<uint8_t> giantBmp = MakeBmpFile(4, 4, QuadrantColour);
    std::vector<uint8_t> emptyBmp = giantBmp;
    for (size_t field : {18, 22}) { // width, height: 100000 claimed, 0 claimed
        giantBmp.erase(giantBmp.begin() + field, giantBmp.begin() + field + 3);
        giantBmp.insert(giantBmp.begin() + field, {0xA0, 0x86, 0x01});
        emptyBmp[field] = 0;
    }

    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"missing file", folder.Path() + "missing.bmp"},
        {"a directory", folder.MakeFolder("folder.jpg")},
        {"empty file", folder.Write("empty.jpg", std::string())},
        {"JPEG cut in its header", folder.Write("cut-header.jpg", jpegCutInHeader)},
        {"JPEG cut in its scan", folder.Write("cut-scan.jpg", jpegCutInScan)},
        {"random bytes", folder.Write("noise.jpg", noise)},
        {"BMP claiming 100000 x 100000 pixels", folder.Write("giant.bmp", giantBmp)},
        {"BMP of 0 x 0 pixels", folder.Write("empty.bmp", emptyBmp)},
        {"text file", folder.Write("notes.txt", std::string("Not a picture at all.\r\n"))},
        {"empty path", std::string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GLuint texture = kUntouched;
        EXPECT_FALSE(LoadTextureFromFile(&texture, c.path.c_str()));
        EXPECT_EQ(kUntouched, texture);

        WaterSurface surface;
        surface.SetTexture(c.path.c_str(), nullptr);
        EXPECT_TRUE(IsBuiltInPicture(surface.texture));
    }
}

TEST_F(PictureTextures, BitmapsOfAnyDepthGoUpAtTheirOwnSize)
{
    const struct {
        const char* name;
        int bitsPerPixel;
        int width;
        int height;
        int tolerance; // 16-bit colours keep 5 bits a channel
    } cases[] = {
        {"screen format", 0, 64, 32, 0},
        {"32-bit DIB", 32, 16, 8, 0},
        {"24-bit DIB, rows padded", 24, 3, 2, 0},
        {"16-bit DIB", 16, 6, 4, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP bitmap = MakeBitmap(c.bitsPerPixel, c.width, c.height, QuadrantColour);
        ASSERT_NE(nullptr, bitmap);
        GLuint texture = 0;
        ASSERT_TRUE(LoadTextureFromBitmap(&texture, bitmap));
        const TextureImage image = ReadTexture(texture);
        EXPECT_EQ(c.width, image.width);
        EXPECT_EQ(c.height, image.height);
        EXPECT_TRUE(image.internalFormat == GL_RGB || image.internalFormat == 3)
            << image.internalFormat;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const Rgb expected = QuadrantColour(x, c.height - 1 - y, c.width, c.height);
                ASSERT_PRED3(Near, expected, image.At(x, y), c.tolerance) << x << ", " << y;
            }
        }
        EXPECT_TRUE(BitmapIsAlive(bitmap));
        (void)DeleteObject(bitmap);
    }
}

TEST_F(PictureTextures, BitmapWiderThanTheContextAllowsIsScaledToFit)
{
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    ASSERT_GT(maxSide, 0);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, maxSide * 2, 4);
    (void)ReleaseDC(nullptr, screen);
    ASSERT_NE(nullptr, bitmap);
    HDC memory = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    const RECT left = {0, 0, maxSide, 4};
    const RECT right = {maxSide, 0, maxSide * 2, 4};
    (void)FillRect(memory, &left, red);
    (void)FillRect(memory, &right, blue);
    (void)SelectObject(memory, previous);
    (void)DeleteDC(memory);
    (void)DeleteObject(red);
    (void)DeleteObject(blue);

    GLuint texture = 0;
    ASSERT_TRUE(LoadTextureFromBitmap(&texture, bitmap));
    const TextureImage image = ReadTexture(texture);
    EXPECT_EQ(maxSide, image.width);
    EXPECT_EQ(4, image.height);
    if (image.width == maxSide) {
        EXPECT_EQ(kRed, image.At(0, 0));
        EXPECT_EQ(kRed, image.At(maxSide / 2 - 1, 3));
        EXPECT_EQ(kBlue, image.At(maxSide / 2, 0));
        EXPECT_EQ(kBlue, image.At(maxSide - 1, 3));
    }
    (void)DeleteObject(bitmap);
}

TEST_F(PictureTextures, DeletedBitmapCreatesNothing)
{
    HBITMAP bitmap = MakeBitmap(0, 8, 8, QuadrantColour);
    (void)DeleteObject(bitmap);
    GLuint texture = kUntouched;
    EXPECT_FALSE(LoadTextureFromBitmap(&texture, bitmap));
    EXPECT_EQ(kUntouched, texture);
}

TEST_F(PictureTextures, SetTextureChoosesTheSourceAndFallsBackToTheBuiltInPicture)
{
    HBITMAP bitmap = MakeBitmap(0, 64, 32, QuadrantColour);
    ASSERT_NE(nullptr, bitmap);
    const std::string picture = QuadrantBmp(16, 16);
    const std::string missing = folder.Path() + "missing.jpg";
    const struct {
        const char* name;
        const char* path;
        HBITMAP bitmap;
        int width; // 16 for the file, 64 for the bitmap, 128 for the built-in picture
    } cases[] = {
        {"file only", picture.c_str(), nullptr, 16},
        {"bitmap only", nullptr, bitmap, 64},
        {"file wins over bitmap", picture.c_str(), bitmap, 16},
        {"failed file skips the bitmap", missing.c_str(), bitmap, 128},
        {"neither", nullptr, nullptr, 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WaterSurface surface;
        surface.SetTexture(c.path, c.bitmap);
        ASSERT_NE(0u, surface.texture);
        EXPECT_EQ(c.width, ReadTexture(surface.texture).width);
        if (c.width == 128) {
            EXPECT_TRUE(IsBuiltInPicture(surface.texture));
        }
    }
    EXPECT_TRUE(BitmapIsAlive(bitmap)) << "the bitmap stays the caller's";
    (void)DeleteObject(bitmap);
}

TEST(PictureTexturesWithoutContext, SetTextureLoadsNothing)
{
    ASSERT_EQ(nullptr, wglGetCurrentContext());
    ScratchFolder folder;
    const std::string picture = folder.Write("quadrants.bmp", MakeBmpFile(16, 16, QuadrantColour));
    HBITMAP bitmap = MakeBitmap(0, 16, 16, QuadrantColour);
    const struct {
        const char* name;
        const char* path;
        HBITMAP bitmap;
    } cases[] = {
        {"file", picture.c_str(), nullptr},
        {"bitmap", nullptr, bitmap},
        {"built-in picture", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WaterSurface surface;
        surface.SetTexture(c.path, c.bitmap);
        EXPECT_EQ(0u, surface.texture);
    }
    (void)DeleteObject(bitmap);
}

TEST_F(PictureTextures, FileLoaderLeavesTheThreadsComStateAsFound)
{
    const std::string picture = QuadrantBmp(16, 16);
    const struct {
        const char* name;
        bool initialise;
        DWORD model;
    } cases[] = {
        {"no apartment", false, COINIT_APARTMENTTHREADED},
        {"single-threaded apartment", true, COINIT_APARTMENTTHREADED},
        {"multithreaded apartment", true, COINIT_MULTITHREADED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.initialise) {
            ASSERT_EQ(S_OK, CoInitializeEx(nullptr, c.model));
        }
        GLuint texture = 0;
        const BOOL loaded = LoadTextureFromFile(&texture, picture.c_str());
        // Wine's picture loader fails with E_OUTOFMEMORY inside a
        // multithreaded apartment; the program itself never enters one.
        if (c.model != COINIT_MULTITHREADED) {
            EXPECT_TRUE(loaded);
        }
        // With an apartment of the test's own, S_FALSE shows it is still
        // there; without one, S_OK shows the loader left none behind.
        const HRESULT again = CoInitializeEx(nullptr, c.model);
        EXPECT_EQ(c.initialise ? S_FALSE : S_OK, again);
        if (SUCCEEDED(again)) {
            CoUninitialize();
        }
        if (c.initialise) {
            CoUninitialize();
        }
    }
}

} // namespace
