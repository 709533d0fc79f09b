#pragma once

#include <cstddef>
#include <cstdint>

// The EXIF orientation of a photo (TIFF tag 274 in the first image directory):
// 1 upright, 2 mirrored left to right, 3 turned half round, 4 mirrored top to
// bottom, 5 mirrored along the diagonal from the top-left corner, 6 to be
// turned a quarter clockwise to stand upright, 7 mirrored along the other
// diagonal, 8 to be turned a quarter anticlockwise.
//
// Reads it from the start of a JPEG file (its APP1 "Exif" segment) or of a
// TIFF file. `data` may be cut short anywhere, or hostile: nothing outside
// data[0, size) is read. 0 when there is no valid orientation.
int ExifOrientation(const uint8_t* data, size_t size);
