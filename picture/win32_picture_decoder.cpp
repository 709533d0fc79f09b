#include "picture/win32_picture_decoder.h"

#include <ole2.h>
#include <olectl.h>
#include <wincodec.h>

#include <cstring>

#include <climits>
#include <new>
#include <string>
#include <utility>

#include "clock/win32_file_time.h"
#include "picture/exif_facts.h"
#include "picture/exif_orientation.h"
#include "picture/picture_pixels.h"

// A JPEG's APP1 segment, where EXIF lives, holds at most 64 KiB and comes
// first or right after a small APP0; its orientation sits near its start.
static const DWORD kExifHeadBytes = 64 * 1024;
static const UINT kBytesPerPixel = 4;
// A strip of the scaled picture: at most this many of its rows, and of the
// rows of the picture it is scaled from.
static const int kRowsPerCopy = 64;
static const int kSourceRowsPerCopy = 256;

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

// The file's first bytes, where EXIF sits, and its last-write time. Only
// the head is read: a photo of many megabytes need not pass through memory
// twice.
struct FileHead {
    std::unique_ptr<uint8_t[]> bytes;
    DWORD size = 0;
    uint64_t modified = 0;
};

static bool ReadFileHead(const wchar_t* path, FileHead& head)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    FILETIME written = {};
    if (GetFileTime(file, nullptr, nullptr, &written)) {
        head.modified = FileTimeTicks(written);
    }
    head.bytes.reset(new (std::nothrow) uint8_t[kExifHeadBytes]);
    const bool readOk =
        head.bytes != nullptr && ReadFile(file, head.bytes.get(), kExifHeadBytes, &head.size, nullptr);
    (void)CloseHandle(file);
    return readOk;
}

static int OrientationFromFileHead(const wchar_t* path)
{
    FileHead head;
    return ReadFileHead(path, head) ? ExifOrientation(head.bytes.get(), head.size) : 0;
}

void ReadFileFacts(const wchar_t* path, DecodedPicture& picture)
{
    FileHead head;
    if (ReadFileHead(path, head)) {
        picture.facts = ReadExifFacts(head.bytes.get(), head.size);
    }
    picture.modified = head.modified;
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

// What a decoder offers when it can scale while it decodes (JPEG's does, by
// 1/2, 1/4 and 1/8, at a fraction of a full decode's memory and time).
// MinGW's wincodec.h does not declare it.
struct WicSourceTransform : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                                 WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                                 UINT stride, UINT bufferSize, BYTE* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform,
                                                           BOOL* supported) = 0;
};
static const IID kIidWicSourceTransform = {0x3B16811B, 0x6A43, 0x4ec9, {0xB7, 0x13, 0x3D, 0x5A, 0x0C, 0x13, 0xB9, 0x40}};

// The frame decoded at a reduced size that still holds `wanted`, into a
// bitmap of that size: where the decoder scales while decoding, a large photo
// never needs a buffer of its full size. False where it cannot (the decoder
// offers no scaling, or none that helps), and `reduced` is then untouched.
static bool DecodeReduced(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, PixelSize stored,
                          PixelSize wanted, ComRef<IWICBitmap>& reduced)
{
    const PixelSize asked = ReducedDecodeSize(stored, wanted);
    ComRef<WicSourceTransform> transform;
    if ((asked.width == stored.width && asked.height == stored.height) ||
        FAILED(frame->QueryInterface(kIidWicSourceTransform, reinterpret_cast<void**>(transform.Out())))) {
        return false;
    }
    UINT width = static_cast<UINT>(asked.width);
    UINT height = static_cast<UINT>(asked.height);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(transform->GetClosestSize(&width, &height)) ||
        width < static_cast<UINT>(wanted.width) || height < static_cast<UINT>(wanted.height) ||
        width >= static_cast<UINT>(stored.width) || FAILED(transform->GetClosestPixelFormat(&format))) {
        return false;
    }
    ComRef<IWICBitmap> bitmap;
    ComRef<IWICBitmapLock> lock;
    const WICRect whole = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
    UINT stride = 0;
    UINT bytes = 0;
    BYTE* pixels = nullptr;
    if (FAILED(factory->CreateBitmap(width, height, format, WICBitmapCacheOnDemand, bitmap.Out())) ||
        FAILED(bitmap->Lock(&whole, WICBitmapLockWrite, lock.Out())) || FAILED(lock->GetStride(&stride)) ||
        FAILED(lock->GetDataPointer(&bytes, &pixels)) ||
        FAILED(transform->CopyPixels(nullptr, width, height, &format, WICBitmapTransformRotate0, stride, bytes,
                                     pixels))) {
        return false;
    }
    std::swap(*reduced.Out(), *bitmap.Out());
    return true;
}

// Formats a scaler reads as whole pixels of a few bytes: scaling such a frame
// before converting it lets the decoder scale while it decodes. Palette
// indices or packed bits must be converted first, or the scaler would blend
// indices.
static bool ScalesBeforeConverting(IWICBitmapSource* frame)
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
static bool CopyScaledPixels(IWICImagingFactory* factory, IWICBitmapSource* frame, PixelSize stored,
                             PixelSize size, uint8_t* pixels)
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
    // those buffers small, however far the photo is scaled down.
    const UINT stride = static_cast<UINT>(size.width) * kBytesPerPixel;
    const int rowsPerCopy = ScaledRowsPerCopy(stored.height, size.height, kSourceRowsPerCopy, kRowsPerCopy);
    for (int top = 0; top < size.height; top += rowsPerCopy) {
        const int rows = size.height - top < rowsPerCopy ? size.height - top : rowsPerCopy;
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
    if (picture.pixels == nullptr) {
        return PictureDecode::NotDecodable;
    }
    ComRef<IWICBitmap> reduced;
    UINT reducedWidth = 0;
    UINT reducedHeight = 0;
    const bool fromReduced = DecodeReduced(factory.Get(), frame.Get(), stored, picture.size, reduced) &&
                             SUCCEEDED(reduced->GetSize(&reducedWidth, &reducedHeight));
    IWICBitmapSource* source = frame.Get();
    PixelSize sourceSize = stored;
    if (fromReduced) {
        source = reduced.Get();
        sourceSize = {static_cast<int>(reducedWidth), static_cast<int>(reducedHeight)};
    }
    if (!CopyScaledPixels(factory.Get(), source, sourceSize, picture.size, picture.pixels.get())) {
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
    PictureDecode result = DecodePictureFile(path, largestMonitor, maxTextureSide, picture);
    if (result == PictureDecode::NotDecodable) {
        // The OLE loader takes a writable path; it does not change it.
        std::wstring writablePath(path);
        result = DecodeThroughOle(writablePath.data(), largestMonitor, maxTextureSide, picture)
                     ? PictureDecode::Decoded
                     : PictureDecode::NotDecodable;
    }
    if (result == PictureDecode::Decoded) {
        ReadFileFacts(path, picture);
    }
    return result;
}
