#include "picture/exif_orientation.h"

static const uint16_t kOrientationTag = 274;
static const uint16_t kShortType = 3;
static const size_t kIfdEntrySize = 12;

// A view of bytes that answers every read outside it with "no".
struct ByteView {
    const uint8_t* data;
    size_t size;

    bool Holds(size_t offset, size_t length) const
    {
        return offset <= size && length <= size - offset;
    }
};

static bool ReadU16(const ByteView& view, size_t offset, bool bigEndian, uint16_t& value)
{
    if (!view.Holds(offset, 2)) {
        return false;
    }
    const uint8_t* p = view.data + offset;
    value = bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                      : static_cast<uint16_t>(p[1] << 8 | p[0]);
    return true;
}

static bool ReadU32(const ByteView& view, size_t offset, bool bigEndian, uint32_t& value)
{
    uint16_t first = 0;
    uint16_t second = 0;
    if (!ReadU16(view, offset, bigEndian, first) || !ReadU16(view, offset + 2, bigEndian, second)) {
        return false;
    }
    value = bigEndian ? (static_cast<uint32_t>(first) << 16 | second)
                      : (static_cast<uint32_t>(second) << 16 | first);
    return true;
}

// The TIFF structure: byte order, 42, the first directory's offset; offsets
// count from the structure's own first byte.
static int TiffOrientation(const ByteView& tiff)
{
    if (!tiff.Holds(0, 8)) {
        return 0;
    }
    bool bigEndian = false;
    if (tiff.data[0] == 'M' && tiff.data[1] == 'M') {
        bigEndian = true;
    } else if (!(tiff.data[0] == 'I' && tiff.data[1] == 'I')) {
        return 0;
    }
    uint16_t magic = 0;
    uint32_t directory = 0;
    uint16_t entries = 0;
    if (!ReadU16(tiff, 2, bigEndian, magic) || magic != 42 ||
        !ReadU32(tiff, 4, bigEndian, directory) || !ReadU16(tiff, directory, bigEndian, entries)) {
        return 0;
    }
    // At most 65535 entries, each checked against the end before it is read.
    for (size_t k = 0; k < entries; ++k) {
        const size_t entry = static_cast<size_t>(directory) + 2 + k * kIfdEntrySize;
        uint16_t tag = 0;
        uint16_t type = 0;
        uint32_t count = 0;
        uint16_t value = 0;
        if (!ReadU16(tiff, entry, bigEndian, tag) || !ReadU16(tiff, entry + 2, bigEndian, type) ||
            !ReadU32(tiff, entry + 4, bigEndian, count) ||
            !ReadU16(tiff, entry + 8, bigEndian, value)) {
            return 0;
        }
        if (tag == kOrientationTag) {
            const bool valid = type == kShortType && count == 1 && value >= 1 && value <= 8;
            return valid ? value : 0;
        }
    }
    return 0;
}

// Walks the JPEG segments up to the start of the scan, looking for the APP1
// segment that holds EXIF. A segment cut off by the end of the data is read
// as far as it goes: the orientation sits near its start.
static int JpegOrientation(const ByteView& jpeg)
{
    static const uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    size_t offset = 2;
    while (jpeg.Holds(offset, 4)) {
        if (jpeg.data[offset] != 0xFF) {
            return 0;
        }
        const uint8_t marker = jpeg.data[offset + 1];
        if (marker == 0xFF) { // fill byte before a marker
            ++offset;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) { // start of scan, end of image
            return 0;
        }
        uint16_t length = 0;
        (void)ReadU16(jpeg, offset + 2, true, length);
        if (length < 2) {
            return 0;
        }
        const size_t body = offset + 4;
        const size_t bodyLength = length - 2u;
        if (marker == 0xE1 && jpeg.Holds(body, sizeof kExifHeader)) {
            bool exif = true;
            for (size_t k = 0; k < sizeof kExifHeader; ++k) {
                exif = exif && jpeg.data[body + k] == kExifHeader[k];
            }
            if (exif && bodyLength >= sizeof kExifHeader) {
                const size_t tiffStart = body + sizeof kExifHeader;
                const size_t available = jpeg.size - tiffStart;
                const size_t tiffLength = bodyLength - sizeof kExifHeader;
                const ByteView tiff = {jpeg.data + tiffStart,
                                       tiffLength < available ? tiffLength : available};
                return TiffOrientation(tiff);
            }
        }
        offset = body + bodyLength;
    }
    return 0;
}

int ExifOrientation(const uint8_t* data, size_t size)
{
    if (data == nullptr) {
        return 0;
    }
    const ByteView file = {data, size};
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
        return JpegOrientation(file);
    }
    return TiffOrientation(file);
}
