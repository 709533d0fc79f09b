#include "picture/exif_tiff.h"

static const size_t kEntrySize = 12;
static const uint16_t kAsciiType = 2;
static const uint16_t kShortType = 3;
static const uint16_t kLongType = 4;
static const uint16_t kRationalType = 5;
static const uint16_t kDirectoryType = 13;

static bool ReadBigEndianU16(const uint8_t* data, size_t size, size_t offset, uint16_t& value)
{
    if (offset > size || size - offset < 2) {
        return false;
    }
    value = static_cast<uint16_t>(data[offset] << 8 | data[offset + 1]);
    return true;
}

static bool StartsTiff(const uint8_t* data, size_t size, bool& bigEndian)
{
    if (size < 8) {
        return false;
    }
    bigEndian = data[0] == 'M' && data[1] == 'M';
    if (!bigEndian && !(data[0] == 'I' && data[1] == 'I')) {
        return false;
    }
    const unsigned magic = bigEndian ? (data[2] << 8 | data[3]) : (data[3] << 8 | data[2]);
    return magic == 42;
}

// Walks the JPEG segments up to the start of the scan, looking for the APP1
// segment that holds EXIF. A segment cut off by the end of the data is read
// as far as it goes: what it holds near its start is still there.
static bool FindInJpeg(const uint8_t* data, size_t size, const uint8_t*& tiff, size_t& tiffSize)
{
    static const uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    size_t offset = 2;
    while (offset <= size && size - offset >= 4) {
        if (data[offset] != 0xFF) {
            return false;
        }
        const uint8_t marker = data[offset + 1];
        if (marker == 0xFF) { // fill byte before a marker
            ++offset;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) { // start of scan, end of image
            return false;
        }
        uint16_t length = 0;
        (void)ReadBigEndianU16(data, size, offset + 2, length);
        if (length < 2) {
            return false;
        }
        const size_t body = offset + 4;
        const size_t bodyLength = length - 2u;
        if (marker == 0xE1 && bodyLength >= sizeof kExifHeader && size - body >= sizeof kExifHeader) {
            bool exif = true;
            for (size_t k = 0; k < sizeof kExifHeader; ++k) {
                exif = exif && data[body + k] == kExifHeader[k];
            }
            if (exif) {
                const size_t start = body + sizeof kExifHeader;
                const size_t available = size - start;
                const size_t held = bodyLength - sizeof kExifHeader;
                tiff = data + start;
                tiffSize = held < available ? held : available;
                return true;
            }
        }
        offset = body + bodyLength;
    }
    return false;
}

bool ExifTiff::Find(const uint8_t* data, size_t size, ExifTiff& tiff)
{
    if (data == nullptr) {
        return false;
    }
    tiff.data = data;
    tiff.size = size;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8 && !FindInJpeg(data, size, tiff.data, tiff.size)) {
        return false;
    }
    return StartsTiff(tiff.data, tiff.size, tiff.bigEndian);
}

bool ExifTiff::ReadU16(size_t offset, uint16_t& value) const
{
    if (!Holds(offset, 2)) {
        return false;
    }
    const uint8_t* p = data + offset;
    value = bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
    return true;
}

bool ExifTiff::ReadU32(size_t offset, uint32_t& value) const
{
    uint16_t first = 0;
    uint16_t second = 0;
    if (!ReadU16(offset, first) || !ReadU16(offset + 2, second)) {
        return false;
    }
    value = bigEndian ? (static_cast<uint32_t>(first) << 16 | second) : (static_cast<uint32_t>(second) << 16 | first);
    return true;
}

bool ExifTiff::FirstDirectory(size_t& directory) const
{
    uint32_t offset = 0;
    if (!ReadU32(4, offset)) {
        return false;
    }
    directory = offset;
    return true;
}

bool ExifTiff::FindEntry(size_t directory, uint16_t tag, Entry& entry) const
{
    uint16_t entries = 0;
    if (!ReadU16(directory, entries)) {
        return false;
    }
    // At most 65535 entries, each checked against the end before it is read.
    for (size_t k = 0; k < entries; ++k) {
        const size_t at = directory + 2 + k * kEntrySize;
        uint16_t entryTag = 0;
        if (!ReadU16(at, entryTag) || !ReadU16(at + 2, entry.type) || !ReadU32(at + 4, entry.count) ||
            !Holds(at + 8, 4)) {
            return false;
        }
        if (entryTag == tag) {
            entry.field = at + 8;
            return true;
        }
    }
    return false;
}

bool ExifTiff::SubDirectory(size_t directory, uint16_t tag, size_t& subDirectory) const
{
    Entry entry;
    uint32_t offset = 0;
    if (!FindEntry(directory, tag, entry) || (entry.type != kLongType && entry.type != kDirectoryType) ||
        entry.count != 1 || !ReadU32(entry.field, offset)) {
        return false;
    }
    subDirectory = offset;
    return true;
}

bool ExifTiff::ValueBytes(const Entry& entry, size_t length, size_t& offset) const
{
    if (length <= 4) {
        offset = entry.field;
        return true;
    }
    uint32_t at = 0;
    if (!ReadU32(entry.field, at) || !Holds(at, length)) {
        return false;
    }
    offset = at;
    return true;
}

bool ExifTiff::OneShort(const Entry& entry, uint16_t& value) const
{
    return entry.type == kShortType && entry.count == 1 && ReadU16(entry.field, value);
}

std::string ExifTiff::Ascii(const Entry& entry) const
{
    size_t offset = 0;
    if (entry.type != kAsciiType || !ValueBytes(entry, entry.count, offset)) {
        return std::string();
    }
    std::string text;
    for (size_t k = 0; k < entry.count && data[offset + k] != 0; ++k) {
        text.push_back(static_cast<char>(data[offset + k]));
    }
    return text;
}

bool ExifTiff::Rational(const Entry& entry, uint32_t index, double& value) const
{
    size_t offset = 0;
    uint32_t numerator = 0;
    uint32_t denominator = 0;
    if (entry.type != kRationalType || index >= entry.count ||
        !ValueBytes(entry, static_cast<size_t>(entry.count) * 8, offset) ||
        !ReadU32(offset + index * 8u, numerator) || !ReadU32(offset + index * 8u + 4, denominator) ||
        denominator == 0) {
        return false;
    }
    value = static_cast<double>(numerator) / denominator;
    return true;
}
