#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "exif_bytes.h"
#include "picture/exif_facts.h"

namespace {

using namespace exif_bytes;

ExifFacts Facts(const Bytes& b)
{
    // A heap copy of exactly the given size, so that ASan sees any read past it.
    const std::unique_ptr<uint8_t[]> copy(new uint8_t[b.empty() ? 1 : b.size()]);
    std::copy(b.begin(), b.end(), copy.get());
    return ReadExifFacts(copy.get(), b.size());
}

const Field kDateTime = Ascii(0x0132, "2020:01:02 03:04:05");
const Field kOriginal = Ascii(0x9003, "2019:08:12 10:11:12");
// 35° 18' 36" N, 25° 6' 0" E (Crete) and the other hemispheres' letters.
const Directory kNorthEast = {Ascii(1, "N"), {2, 5, {35, 1, 18, 1, 36, 1}}, Ascii(3, "E"), {4, 5, {25, 1, 60, 10, 0, 1}}};
const Directory kSouthWest = {Ascii(1, "S"), {2, 5, {3385, 100, 0, 1, 0, 1}}, Ascii(3, "W"), {4, 5, {70, 1, 39, 1, 0, 1}}};

struct Expected {
    int year, month, day;
    bool known;
    double latitude, longitude;
};

void Check(const Expected& e, const ExifFacts& f, const std::string& name)
{
    EXPECT_EQ(e.year, f.taken.year) << name;
    EXPECT_EQ(e.month, f.taken.month) << name;
    EXPECT_EQ(e.day, f.taken.day) << name;
    EXPECT_EQ(e.known, f.position.known) << name;
    EXPECT_NEAR(e.latitude, f.position.latitude, 1e-9) << name;
    EXPECT_NEAR(e.longitude, f.position.longitude, 1e-9) << name;
}

TEST(ExifFacts, DateTakenAndPositionInEitherByteOrder)
{
    const Expected crete = {2019, 8, 12, true, 35.31, 25.1};
    for (bool big : {false, true}) {
        Bytes beyondEnd = Tiff(big, {kDateTime}, {kOriginal}, kNorthEast);
        beyondEnd[4 + (big ? 0 : 3)] = 0x7F; // the first directory far past the end
        const struct {
            const char* name;
            Bytes bytes;
            Expected expected;
        } cases[] = {
            {"JPEG, original date and GPS", Jpeg(Tiff(big, {kDateTime}, {kOriginal}, kNorthEast)), crete},
            {"TIFF, original date and GPS", Tiff(big, {kDateTime}, {kOriginal}, kNorthEast), crete},
            {"only DateTime", Jpeg(Tiff(big, {kDateTime})), {2020, 1, 2, false, 0, 0}},
            {"south and west", Jpeg(Tiff(big, {}, {kOriginal}, kSouthWest)), {2019, 8, 12, true, -33.85, -70.65}},
            {"blank original falls back", Jpeg(Tiff(big, {kDateTime}, {Ascii(0x9003, "    :  :     :  :  ")})),
             {2020, 1, 2, false, 0, 0}},
            {"zero date", Jpeg(Tiff(big, {Ascii(0x0132, "0000:00:00 00:00:00")})), {0, 0, 0, false, 0, 0}},
            {"no such day", Jpeg(Tiff(big, {Ascii(0x0132, "2019:02:29 00:00:00")})), {0, 0, 0, false, 0, 0}},
            {"leap day", Jpeg(Tiff(big, {Ascii(0x0132, "2020-02-29")})), {2020, 2, 29, false, 0, 0}},
            {"date of the wrong type", Jpeg(Tiff(big, {{0x0132, 4, {2019}}})), {0, 0, 0, false, 0, 0}},
            {"no hemisphere", Jpeg(Tiff(big, {}, {}, {kNorthEast[1], kNorthEast[2], kNorthEast[3]})),
             {0, 0, 0, false, 0, 0}},
            {"zero denominator", Jpeg(Tiff(big, {}, {}, {kNorthEast[0], {2, 5, {35, 0, 0, 1, 0, 1}}, kNorthEast[2],
                                                         kNorthEast[3]})),
             {0, 0, 0, false, 0, 0}},
            {"latitude past the pole", Jpeg(Tiff(big, {}, {}, {kNorthEast[0], {2, 5, {91, 1, 0, 1, 0, 1}},
                                                               kNorthEast[2], kNorthEast[3]})),
             {0, 0, 0, false, 0, 0}},
            {"directory beyond the end", beyondEnd, {0, 0, 0, false, 0, 0}},
            {"not Exif", Jpeg(Tiff(big, {kDateTime}), std::string("Exig\0\0", 6)), {0, 0, 0, false, 0, 0}},
            {"a PNG", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13}, {0, 0, 0, false, 0, 0}},
            {"empty", {}, {0, 0, 0, false, 0, 0}},
        };
        for (const auto& c : cases) {
            Check(c.expected, Facts(c.bytes), std::string(c.name) + (big ? " (big-endian)" : ""));
        }
    }
}

TEST(ExifFacts, ACutBlockGivesWhatItStillHolds)
{
    const Bytes good = Jpeg(Tiff(true, {kDateTime}, {kOriginal}, kSouthWest));
    for (size_t size = 0; size <= good.size(); ++size) {
        const ExifFacts f = Facts(Bytes(good.begin(), good.begin() + long(size)));
        EXPECT_TRUE(f.taken.year == 0 || f.taken.year == 2019 || f.taken.year == 2020) << size;
        EXPECT_TRUE(!f.position.known || f.position.longitude == -70.65) << size;
    }
    EXPECT_EQ(0, ReadExifFacts(nullptr, 10).taken.year);
}

} // namespace
