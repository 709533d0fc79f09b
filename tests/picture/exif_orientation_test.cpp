#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "picture/exif_orientation.h"
#include "exif_bytes.h"

namespace {

using namespace exif_bytes;

// A TIFF structure whose first directory (at `ifd`) holds a width tag, then
// `tag` of `type` with `value`.
Bytes Tiff(bool big, uint16_t value, uint16_t tag = 274, uint16_t type = 3, uint32_t ifd = 8)
{
    Bytes b = exif_bytes::Tiff(big, {{256, 3, {640}}, {tag, type, {value}}});
    Bytes offset;
    Put(offset, ifd, 4, big);
    std::copy(offset.begin(), offset.end(), b.begin() + 4);
    return b;
}

int Orientation(const Bytes& b)
{
    // A heap copy of exactly the given size, so that ASan sees any read past it.
    const std::unique_ptr<uint8_t[]> copy(new uint8_t[b.empty() ? 1 : b.size()]);
    std::copy(b.begin(), b.end(), copy.get());
    return ExifOrientation(copy.get(), b.size());
}

TEST(ExifOrientation, ReadFromJpegAndTiffInEitherByteOrder)
{
    for (bool big : {false, true}) {
        for (uint16_t value = 1; value <= 8; ++value) {
            EXPECT_EQ(value, Orientation(Jpeg(Tiff(big, value)))) << big << " " << value;
        }
        EXPECT_EQ(6, Orientation(Tiff(big, 6)));
    }
}

TEST(ExifOrientation, NoValidTagGivesZero)
{
    Bytes cutAtExif = Jpeg(Tiff(true, 6));
    cutAtExif.resize(16);
    Bytes lengthBeyondEnd = Jpeg(Tiff(false, 6));
    lengthBeyondEnd[14] = 0xFF; // APP1 claims 65 KiB: read as far as it goes
    Bytes manyEntries = Tiff(false, 6, 275);
    manyEntries[8] = manyEntries[9] = 0xFF; // 65535 entries claimed
    const struct {
        const char* name;
        Bytes bytes;
        int expected;
    } cases[] = {
        {"APP1 longer than the data", lengthBeyondEnd, 6},
        {"no orientation tag", Jpeg(Tiff(false, 6, 275)), 0},
        {"value out of range", Jpeg(Tiff(false, 9)), 0},
        {"value zero", Jpeg(Tiff(true, 0)), 0},
        {"wrong type", Jpeg(Tiff(false, 6, 274, 4)), 0},
        {"not Exif", Jpeg(Tiff(false, 6), std::string("Exig\0\0", 6)), 0},
        {"directory beyond the end", Jpeg(Tiff(false, 6, 274, 3, 0xFFFFFFF0u)), 0},
        {"directory inside the header", Jpeg(Tiff(false, 6, 274, 3, 1)), 0},
        {"cut inside the EXIF header", cutAtExif, 0},
        {"empty", {}, 0},
        {"JPEG start only", {0xFF, 0xD8}, 0},
        {"segment length below 2", {0xFF, 0xD8, 0xFF, 0xE1, 0, 1, 0, 0}, 0},
        {"not a marker", {0xFF, 0xD8, 0x00, 0xE1, 0, 8, 'E', 'x'}, 0},
        {"bad TIFF magic", {'I', 'I', 43, 0, 8, 0, 0, 0}, 0},
        {"more entries claimed than held", manyEntries, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, Orientation(c.bytes)) << c.name;
    }
    // Every cut of a good file ends without reading past it.
    const Bytes good = Jpeg(Tiff(true, 3));
    for (size_t size = 0; size < good.size(); ++size) {
        const int orientation = Orientation(Bytes(good.begin(), good.begin() + long(size)));
        EXPECT_TRUE(orientation == 0 || orientation == 3) << size;
    }
    EXPECT_EQ(0, ExifOrientation(nullptr, 10));
}

} // namespace
