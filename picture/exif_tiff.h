#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The TIFF structure that holds a photo's EXIF facts: a byte order, the
// number 42 and a chain of image directories, each a list of 12-byte entries
// (tag, type, count, and the value itself or the offset of the value where it
// takes more than four bytes). Offsets count from the structure's first byte.
//
// Every read is checked against the end of the bytes: the data may be cut
// short anywhere, or hostile, and nothing outside it is read.
class ExifTiff {
public:
    // Finds the structure at the start of a JPEG file (its APP1 "Exif"
    // segment, read as far as the data goes) or of a TIFF file. False when
    // there is none.
    static bool Find(const uint8_t* data, size_t size, ExifTiff& tiff);

    struct Entry {
        uint16_t type = 0;
        uint32_t count = 0;
        size_t field = 0;  // where the entry's value or value offset sits
    };

    // The first directory's offset.
    bool FirstDirectory(size_t& directory) const;
    // The entry of `tag` in the directory at `directory`. False when the tag
    // is not there, or the directory runs past the end before it is found.
    bool FindEntry(size_t directory, uint16_t tag, Entry& entry) const;
    // The directory that entry `tag` of `directory` points to (the EXIF and
    // GPS directories hang off the first one this way).
    bool SubDirectory(size_t directory, uint16_t tag, size_t& subDirectory) const;

    // An entry of type SHORT, count 1.
    bool OneShort(const Entry& entry, uint16_t& value) const;
    // An entry of type ASCII, up to its first NUL; "" where it is not one.
    std::string Ascii(const Entry& entry) const;
    // Rational `index` of an entry of type RATIONAL; false where its
    // denominator is 0.
    bool Rational(const Entry& entry, uint32_t index, double& value) const;

private:
    bool Holds(size_t offset, size_t length) const { return offset <= size && length <= size - offset; }
    bool ReadU16(size_t offset, uint16_t& value) const;
    bool ReadU32(size_t offset, uint32_t& value) const;
    // Where an entry's `length` value bytes start: in the entry, or at its offset.
    bool ValueBytes(const Entry& entry, size_t length, size_t& offset) const;

    const uint8_t* data = nullptr;
    size_t size = 0;
    bool bigEndian = false;
};
