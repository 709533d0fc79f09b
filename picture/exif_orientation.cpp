#include "picture/exif_orientation.h"

#include "picture/exif_tiff.h"

static const uint16_t kOrientationTag = 274;

int ExifOrientation(const uint8_t* data, size_t size)
{
    ExifTiff tiff;
    size_t directory = 0;
    ExifTiff::Entry entry;
    uint16_t value = 0;
    if (!ExifTiff::Find(data, size, tiff) || !tiff.FirstDirectory(directory) ||
        !tiff.FindEntry(directory, kOrientationTag, entry) || !tiff.OneShort(entry, value)) {
        return 0;
    }
    return value >= 1 && value <= 8 ? value : 0;
}
