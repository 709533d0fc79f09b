#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "picture/exif_facts.h"
#include "picture/picture_math.h"

enum class PictureDecode {
    Decoded,
    NotDecodable, // no decoder took the file, or decoding failed: another loader may try
    Refused,      // the file claims a size no loader should allocate for
};

struct DecodedPicture {
    // size.width x size.height pixels of blue, green, red, alpha, upright as
    // the file's EXIF orientation says, rows bottom-up.
    std::unique_ptr<uint8_t[]> pixels;
    PixelSize size = {0, 0};
    // The picture's own size, upright, before it was scaled to `size`:
    // its shape, which the texture's power-of-two sides do not keep.
    // {0, 0} where it is not known (a cached copy).
    PixelSize upright = {0, 0};
    // What the file says of itself, for its caption: its EXIF date taken and
    // position, and its last-write time (a FILETIME's count; 0 unknown).
    ExifFacts facts;
    uint64_t modified = 0;
    bool fromCopy = false;  // a cached copy's pixels: the file itself was not read
};

// Decodes the first frame (or page) of a picture file through the Windows
// Imaging Component, scaled while decoding straight to its texture size
// (PictureTextureSize with the largest monitor and the context's limit). The
// thread must have a COM apartment.
PictureDecode DecodePictureFile(const wchar_t* path, PixelSize largestMonitor, int maxTextureSide,
                                DecodedPicture& picture);

// DecodePictureFile, and where the imaging component has no decoder for the
// file (a metafile, for instance), the OLE picture loader drawing it at the
// screen's resolution into the same kind of buffer. A decoded picture has its
// file's facts too. Any thread with a COM
// apartment; no rendering context needed.
PictureDecode DecodeAnyPictureFile(const wchar_t* path, PixelSize largestMonitor, int maxTextureSide,
                                   DecodedPicture& picture);

// Reads the facts of a picture's file (DecodedPicture) into `picture`: a
// file without EXIF, with a broken block or in a format that has none has
// only its last-write time; one that cannot be opened, none.
void ReadFileFacts(const wchar_t* path, DecodedPicture& picture);

// A 32-bit uncompressed bitmap's header; a positive height makes the rows
// bottom-up.
BITMAPINFO BottomUp32BitInfo(int width, int height);
