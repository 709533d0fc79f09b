#include "picture/win32_picture_decoder.h"

#include <ole2.h>
#include <olectl.h>
#include <wincodec.h>

#include <cstring>

#include <climits>
#include <new>
#include <string>
#include <utility>

#include "picture/exif_orientation.h"
#include "picture/picture_pixels.h"

// A JPEG's APP1 segment, where EXIF lives, holds at most 64 KiB and comes
// first or right after a small APP0; its orientation sits near its start.
static const DWORD kExifHeadBytes = 64 * 1024;
static const UINT kBytesPerPixel = 4;
static const int kRowsPerCopy = 64;

// Holds one reference to a COM object and releases it when it goes.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef()
    {
        if (object != nullptr) {
            (void)object->Release();
        }
    }
    T** Out() { return &object; }
    T* Get() const { return object; }
    T* operator->() const { return object; }

private:
    T* object = nullptr;
};

static int OrientationFromMetadata(IWICBitmapFrameDecode* frame, const wchar_t* query)
{
    ComRef<IWICMetadataQueryReader> reader;
    if (FAILED(frame->GetMetadataQueryReader(reader.Out()))) {
        return 0;
    }
    PROPVARIANT value;
    PropVariantInit(&value);
    int orientation = 0;
    if (SUCCEEDED(reader->GetMetadataByName(query, &value)) && value.vt == VT_UI2 &&
        value.uiVal >= 1 && value.uiVal <= 8) {
        orientation = value.uiVal;
    }
    (void)PropVariantClear(&value);
    return orientation;
}

// Reads only the file's first bytes: a photo of many megabytes need not pass
// through memory twice.
static int OrientationFromFileHead(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::unique_ptr<uint8_t[]> head(new (std::nothrow) uint8_t[kExifHeadBytes]);
    DWORD read = 0;
    const bool readOk = head != nullptr && ReadFile(file, head.get(), kExifHeadBytes, &read, nullptr);
    (void)CloseHandle(file);
    return readOk ? ExifOrientation(head.get(), read) : 0;
}

// JPEG and TIFF files carry an EXIF orientation. Wine's metadata reader
// answers for a TIFF but not for the EXIF segment of a JPEG, so the file's
// own bytes are read when the reader has no answer.
static int PictureOrientation(IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* frame,
                              const wchar_t* path)
{
    GUID container = {};
    if (FAILED(decoder->GetContainerFormat(&container))) {
        return 1;
    }
    const bool jpeg = IsEqualGUID(container, GUID_ContainerFormatJpeg);
    const bool tiff = IsEqualGUID(container, GUID_ContainerFormatTiff);
    if (!jpeg && !tiff) {
        return 1;
    }
    int orientation =
        OrientationFromMetadata(frame, jpeg ? L"/app1/ifd/{ushort=274}" : L"/ifd/{ushort=274}");
    if (orientation == 0) {
        orientation = OrientationFromFileHead(path);
    }
    return orientation == 0 ? 1 : orientation;
}

// Formats a scaler reads as whole pixels of a few bytes: scaling such a frame
// before converting it lets the decoder scale while it decodes. Palette
// indices or packed bits must be converted first, or the scaler would blend
// indices.
static bool ScalesBeforeConverting(IWICBitmapFrameDecode* frame)
{
    WICPixelFormatGUID format = {};
    if (FAILED(frame->GetPixelFormat(&format))) {
        return false;
    }
    return IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) ||
           IsEqualGUID(format, GUID_WICPixelFormat32bppBGR) ||
           IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA);
}

static bool Scale(IWICBitmapScaler* scaler, IWICBitmapSource*& source, PixelSize size)
{
    if (FAILED(scaler->Initialize(source, static_cast<UINT>(size.width),
                                  static_cast<UINT>(size.height), WICBitmapInterpolationModeFant))) {
        return false;
    }
    source = scaler;
    return true;
}

static bool ConvertToBgra(IWICFormatConverter* converter, IWICBitmapSource*& source)
{
    if (FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
        return false;
    }
    source = converter;
    return true;
}

// The frame as `size` pixels of 32-bit BGRA, top-down, into `pixels`.
static bool CopyScaledPixels(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame,
                             PixelSize stored, PixelSize size, uint8_t* pixels)
{
    ComRef<IWICBitmapScaler> scaler;
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateBitmapScaler(scaler.Out())) ||
        FAILED(factory->CreateFormatConverter(converter.Out()))) {
        return false;
    }
    const bool scale = size.width != stored.width || size.height != stored.height;
    const bool scaleFirst = scale && ScalesBeforeConverting(frame);
    const bool scaleLast = scale && !scaleFirst;
    IWICBitmapSource* source = frame;
    if ((scaleFirst && !Scale(scaler.Get(), source, size)) ||
        !ConvertToBgra(converter.Get(), source) ||
        (scaleLast && !Scale(scaler.Get(), source, size))) {
        return false;
    }
    // Wine's scaler and converter each allocate for the whole rectangle asked
    // for, the scaler in source rows of the full photo's width: strips keep
    // those buffers small.
    const UINT stride = static_cast<UINT>(size.width) * kBytesPerPixel;
    for (int top = 0; top < size.height; top += kRowsPerCopy) {
        const int rows = size.height - top < kRowsPerCopy ? size.height - top : kRowsPerCopy;
        const WICRect strip = {0, top, size.width, rows};
        if (FAILED(source->CopyPixels(&strip, stride, stride * static_cast<UINT>(rows),
                                      pixels + static_cast<size_t>(top) * stride))) {
            return false;
        }
    }
    return true;
}

// The decoder's output before turning: the frame at the texture's sides as
// they lie in the file, 32-bit BGRA, rows top-down.
struct StoredPicture {
    std::unique_ptr<uint8_t[]> pixels;
    PixelSize size = {0, 0};
    PixelSize upright = {0, 0};  // the file's own size, turned upright
    int orientation = 1;
};

// Every decoder object is gone when this returns: a photo's decoder may hold
// the whole decoded photo, and the turned copy need not sit beside it.
static PictureDecode DecodeStoredPicture(const wchar_t* path, PixelSize largestMonitor,
                                         int maxTextureSide, StoredPicture& picture)
{
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))) ||
        FAILED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.Out())) ||
        FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&width, &height))) {
        return PictureDecode::NotDecodable;
    }
    if (width > INT_MAX || height > INT_MAX ||
        !DecodablePictureSize({static_cast<int>(width), static_cast<int>(height)})) {
        return PictureDecode::Refused;
    }
    const PixelSize stored = {static_cast<int>(width), static_cast<int>(height)};

    picture.orientation = PictureOrientation(decoder.Get(), frame.Get(), path);
    const bool swapped = OrientationSwapsSides(picture.orientation);
    const PixelSize uprightSize = swapped ? PixelSize{stored.height, stored.width} : stored;
    const PixelSize size = PictureTextureSize(uprightSize, largestMonitor, maxTextureSide);
    if (size.width == 0 || size.height == 0) {
        return PictureDecode::Refused;
    }
    picture.size = swapped ? PixelSize{size.height, size.width} : size;
    picture.upright = uprightSize;
    picture.pixels.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size.width) * size.height *
                                                    kBytesPerPixel]);
    if (picture.pixels == nullptr ||
        !CopyScaledPixels(factory.Get(), frame.Get(), stored, picture.size, picture.pixels.get())) {
        return PictureDecode::NotDecodable;
    }
    return PictureDecode::Decoded;
}

PictureDecode DecodePictureFile(const wchar_t* path, PixelSize largestMonitor, int maxTextureSide,
                                DecodedPicture& picture)
{
    StoredPicture stored;
    const PictureDecode result = DecodeStoredPicture(path, largestMonitor, maxTextureSide, stored);
    if (result != PictureDecode::Decoded) {
        return result;
    }
    const PixelSize size = stored.size;
    const bool swapped = OrientationSwapsSides(stored.orientation);
    std::unique_ptr<uint8_t[]> upright(
        new (std::nothrow) uint8_t[static_cast<size_t>(size.width) * size.height * kBytesPerPixel]);
    if (upright == nullptr) {
        return PictureDecode::NotDecodable;
    }
    OrientPixelsBottomUp(stored.pixels.get(), size.width, size.height, stored.orientation,
                         upright.get());
    picture.pixels = std::move(upright);
    picture.size = swapped ? PixelSize{size.height, size.width} : size;
    picture.upright = stored.upright;
    return PictureDecode::Decoded;
}

BITMAPINFO BottomUp32BitInfo(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Draws the picture upright into a 32-bit bottom-up DIB section selected into
// `memory` and copies its pixels out. The picture's size comes in HIMETRIC,
// whose y axis runs upward: the source rectangle starts at the top edge and
// has a negative height.
static bool RenderOlePicture(IPicture* picture, HDC memory, OLE_XSIZE_HIMETRIC hmWidth,
                             OLE_YSIZE_HIMETRIC hmHeight, PixelSize size, DecodedPicture& decoded)
{
    BITMAPINFO info = BottomUp32BitInfo(size.width, size.height);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib == nullptr || bits == nullptr) {
        return false;
    }
    const HGDIOBJ previous = SelectObject(memory, dib);
    // Shrinking with the default BLACKONWHITE mode would AND dropped rows into
    // the kept ones and darken the picture.
    (void)SetStretchBltMode(memory, COLORONCOLOR);
    const HRESULT rendered = picture->Render(memory, 0, 0, size.width, size.height, 0, hmHeight, hmWidth,
                                             -hmHeight, nullptr);
    // GDI may batch the drawing; the bits are only complete after a flush.
    (void)GdiFlush();
    (void)SelectObject(memory, previous);
    const size_t bytes = static_cast<size_t>(size.width) * size.height * kBytesPerPixel;
    bool copied = false;
    if (SUCCEEDED(rendered)) {
        decoded.pixels.reset(new (std::nothrow) uint8_t[bytes]);
        if (decoded.pixels != nullptr) {
            std::memcpy(decoded.pixels.get(), bits, bytes);
            decoded.size = size;
            copied = true;
        }
    }
    (void)DeleteObject(dib);
    return copied;
}

static bool DecodeThroughOle(wchar_t* path, PixelSize largestMonitor, int maxTextureSide,
                             DecodedPicture& decoded)
{
    ComRef<IPicture> picture;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (FAILED(OleLoadPicturePath(path, nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(picture.Out()))) ||
        picture.Get() == nullptr || FAILED(picture->get_Width(&hmWidth)) ||
        FAILED(picture->get_Height(&hmHeight))) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return false;
    }
    HDC memory = CreateCompatibleDC(screen);
    (void)ReleaseDC(nullptr, screen);
    if (memory == nullptr) {
        return false;
    }
    const PixelSize pixels = {HimetricToPixels(hmWidth, GetDeviceCaps(memory, LOGPIXELSX)),
                              HimetricToPixels(hmHeight, GetDeviceCaps(memory, LOGPIXELSY))};
    const PixelSize size = PictureTextureSize(pixels, largestMonitor, maxTextureSide);
    const bool rendered = size.width != 0 && size.height != 0 &&
                          RenderOlePicture(picture.Get(), memory, hmWidth, hmHeight, size, decoded);
    (void)DeleteDC(memory);
    if (rendered) {
        decoded.upright = pixels;
    }
    return rendered;
}

PictureDecode DecodeAnyPictureFile(const wchar_t* path, PixelSize largestMonitor, int maxTextureSide,
                                   DecodedPicture& picture)
{
    const PictureDecode result = DecodePictureFile(path, largestMonitor, maxTextureSide, picture);
    if (result != PictureDecode::NotDecodable) {
        return result;
    }
    // The OLE loader takes a writable path; it does not change it.
    std::wstring writablePath(path);
    return DecodeThroughOle(writablePath.data(), largestMonitor, maxTextureSide, picture)
               ? PictureDecode::Decoded
               : PictureDecode::NotDecodable;
}
