#pragma once

// Builds the EXIF blocks the EXIF tests read: TIFF structures in either byte
// order and the JPEG start that carries one.
#include <cstdint>
#include <string>
#include <vector>

namespace exif_bytes {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& b, uint32_t v, int size, bool big)
{
    for (int k = 0; k < size; ++k) {
        b.push_back(uint8_t(v >> (8 * (big ? size - 1 - k : k))));
    }
}

// A JPEG start: SOI, a JFIF APP0, the EXIF APP1 holding `tiff`, a scan.
inline Bytes Jpeg(const Bytes& tiff, const std::string& header = std::string("Exif\0\0", 6))
{
    Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0, 7, 'J', 'F', 'I', 'F', 0};
    b.insert(b.end(), {0xFF, 0xE1});
    Put(b, uint32_t(2 + header.size() + tiff.size()), 2, true);
    b.insert(b.end(), header.begin(), header.end());
    b.insert(b.end(), tiff.begin(), tiff.end());
    b.insert(b.end(), {0xFF, 0xDA, 0, 2, 0x12, 0x34});
    return b;
}

// One directory entry; a rational's units are numerator, denominator, ...
struct Field {
    uint16_t tag;
    uint16_t type;  // 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL
    std::vector<uint32_t> units;
};
using Directory = std::vector<Field>;

inline Field Ascii(uint16_t tag, const std::string& text)
{
    Field f = {tag, 2, {}};
    for (char c : text) {
        f.units.push_back(uint8_t(c));
    }
    f.units.push_back(0);
    return f;
}

// The first directory, then the EXIF and GPS directories it points to (where
// not empty), then the values too long for their entries.
inline Bytes Tiff(bool big, Directory first, const Directory& exif = {}, const Directory& gps = {})
{
    std::vector<Directory*> directories = {&first};
    Directory exifCopy = exif;
    Directory gpsCopy = gps;
    for (auto [tag, directory] : {std::pair<uint16_t, Directory*>{0x8769, &exifCopy}, {0x8825, &gpsCopy}}) {
        if (!directory->empty()) {
            first.push_back({tag, 4, {0}});
            directories.push_back(directory);
        }
    }
    std::vector<uint32_t> starts;
    uint32_t at = 8;
    for (const Directory* d : directories) {
        starts.push_back(at);
        at += uint32_t(2 + 12 * d->size() + 4);
    }
    for (Field& f : first) {
        f.units[0] = f.tag == 0x8769 ? starts[1] : f.tag == 0x8825 ? starts.back() : f.units[0];
    }
    Bytes b = big ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
    Put(b, 42, 2, big);
    Put(b, 8, 4, big);
    Bytes values;
    for (const Directory* d : directories) {
        Put(b, uint32_t(d->size()), 2, big);
        for (const Field& f : *d) {
            const int unit = f.type == 2 ? 1 : f.type == 3 ? 2 : 4;
            Put(b, f.tag, 2, big);
            Put(b, f.type, 2, big);
            Put(b, uint32_t(f.type == 5 ? f.units.size() / 2 : f.units.size()), 4, big);
            Bytes value;
            for (uint32_t u : f.units) {
                Put(value, u, unit, big);
            }
            if (value.size() > 4) {
                Put(b, at + uint32_t(values.size()), 4, big);
                values.insert(values.end(), value.begin(), value.end());
            } else {
                value.resize(4, 0);
                b.insert(b.end(), value.begin(), value.end());
            }
        }
        Put(b, 0, 4, big);
    }
    b.insert(b.end(), values.begin(), values.end());
    return b;
}

} // namespace exif_bytes
