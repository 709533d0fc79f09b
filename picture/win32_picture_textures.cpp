#include "picture/win32_picture_textures.h"

#include "render/gl_extensions.h"

#include <objbase.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "picture/picture_math.h"
#include "picture/picture_pixels.h"
#include "picture/win32_monitor_size.h"
#include "picture/win32_picture_decoder.h"
#include "res/resource.h"
#include "text/win32_wide.h"
#include "water/win32_water_surface.h"

static const int kBytesPerPixel = 4;

// 0 without a current rendering context, which gives every size rule below a
// limit of nothing and so makes the loaders fail instead of uploading.
static int MaxTextureSide()
{
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side;
}

void CreateTexture(GLuint* texture, GLint internalFormat, int width, int height, GLenum format,
                   const void* pixels)
{
    glGenTextures(1, texture);
    glBindTexture(GL_TEXTURE_2D, *texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels);
}

// Reads the bitmap out as 32-bit bottom-up rows whatever its own format, so
// the buffer always holds width x height x 4 bytes. Null when it cannot;
// otherwise the caller frees the buffer with std::free.
static uint8_t* ReadBitmapPixels(HBITMAP bitmap, int width, int height)
{
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * kBytesPerPixel;
    uint8_t* pixels = static_cast<uint8_t*>(std::malloc(size));
    if (pixels == nullptr) {
        return nullptr;
    }
    BITMAPINFO info = BottomUp32BitInfo(width, height);
    HDC screen = GetDC(nullptr);
    const int lines = screen == nullptr ? 0
                                        : GetDIBits(screen, bitmap, 0, static_cast<UINT>(height),
                                                    pixels, &info, DIB_RGB_COLORS);
    if (screen != nullptr) {
        (void)ReleaseDC(nullptr, screen);
    }
    if (lines != height) {
        std::free(pixels);
        return nullptr;
    }
    return pixels;
}

BOOL LoadTextureFromFile(GLuint* texture, const char* path)
{
    if (path == nullptr || path[0] == '\0') {
        return FALSE;
    }
    const std::wstring widePath = WidePath(path);
    // Both decoders are built on COM, so the thread needs an apartment for as
    // long as they work. S_FALSE means there was one already; it still wants
    // its CoUninitialize.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DecodedPicture decoded;
    const bool loaded = DecodeAnyPictureFile(widePath.c_str(), LargestMonitorSize(), MaxTextureSide(), decoded) ==
                        PictureDecode::Decoded;
    if (loaded) {
        BgrxToRgba(decoded.pixels.get(), static_cast<size_t>(decoded.size.width) * decoded.size.height);
        CreateTexture(texture, GL_RGBA, decoded.size.width, decoded.size.height, GL_RGBA,
                      decoded.pixels.get());
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return loaded ? TRUE : FALSE;
}

PixelSize BoundTextureSize()
{
    PixelSize size = {0, 0};
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size.height);
    return size;
}

BOOL LoadTextureFromResource(GLuint* texture, UINT resourceId)
{
    HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP,
                              0, 0, LR_CREATEDIBSECTION);
    if (image == nullptr) {
        return FALSE;
    }
    HBITMAP bitmap = static_cast<HBITMAP>(image);
    // The bits go up as they are: only a 24-bit bottom-up DIB matches the
    // upload's format, and DIB rows are padded to the 4 bytes that GL's default
    // unpack alignment expects.
    BITMAP header = {};
    const bool usable = GetObjectA(bitmap, sizeof header, &header) == sizeof header &&
                        header.bmBitsPixel == 24 && header.bmBits != nullptr &&
                        header.bmWidth > 0 && header.bmHeight > 0;
    if (usable) {
        CreateTexture(texture, 3, header.bmWidth, header.bmHeight, GL_BGR_EXT, header.bmBits);
    }
    (void)DeleteObject(bitmap);
    return usable ? TRUE : FALSE;
}

BOOL LoadTextureFromBitmap(GLuint* texture, HBITMAP bitmap)
{
    BITMAP header = {};
    if (GetObjectA(bitmap, sizeof header, &header) != sizeof header) {
        return FALSE;
    }
    const int width = header.bmWidth;
    const int height = std::abs(header.bmHeight);
    const int maxSide = MaxTextureSide();
    const bool powerOfTwoOnly = !TakesAnyTextureSize(reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                                                     reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
    const int textureWidth = BitmapTextureSide(width, maxSide, powerOfTwoOnly);
    const int textureHeight = BitmapTextureSide(height, maxSide, powerOfTwoOnly);
    if (textureWidth == 0 || textureHeight == 0) {
        return FALSE;
    }
    uint8_t* pixels = ReadBitmapPixels(bitmap, width, height);
    if (pixels == nullptr) {
        return FALSE;
    }
    // A snapshot of a screen wider or taller than the context's largest
    // texture would fail to upload and leave the surface blank.
    if (textureWidth != width || textureHeight != height) {
        ShrinkPixels(pixels, width, height, textureWidth, textureHeight);
    }
    CreateTexture(texture, 3, textureWidth, textureHeight, GL_BGRA_EXT, pixels);
    std::free(pixels);
    return TRUE;
}

GLuint LoadPictureTexture(const char* path, HBITMAP bitmap)
{
    // The settings and password modes, and an unknown switch, reach this too,
    // with no rendering context: nothing will be drawn there, so nothing is
    // decoded and no GL call is made.
    if (wglGetCurrentContext() == nullptr) {
        return 0;
    }
    GLuint texture = 0;
    BOOL loaded = FALSE;
    if (path != nullptr) {
        loaded = LoadTextureFromFile(&texture, path);
    } else if (bitmap != nullptr) {
        loaded = LoadTextureFromBitmap(&texture, bitmap);
    }
    if (!loaded) {
        (void)LoadTextureFromResource(&texture, IDB_BUILTIN_PICTURE);
    }
    return texture;
}

void WaterSurface::SetTexture(const char* path, HBITMAP bitmap)
{
    const GLuint loaded = LoadPictureTexture(path, bitmap);
    if (loaded != 0) {
        texture = loaded;
    }
}
