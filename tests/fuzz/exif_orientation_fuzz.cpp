// Any bytes as the start of a picture file: the EXIF readers stay inside
// them (the sanitizers watch every read) and answer 0 or an orientation, and
// a date and a position that are within their ranges or left out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "picture/exif_facts.h"
#include "picture/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that a read one past the end is caught.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size]);
    if (size > 0) {
        std::memcpy(copy.get(), data, size);
    }
    const int orientation = ExifOrientation(copy.get(), size);
    if (orientation < 0 || orientation > 8) {
        std::abort();
    }
    const ExifFacts facts = ReadExifFacts(copy.get(), size);
    const bool dateSound = facts.taken.year == 0 || IsCalendarDate(facts.taken);
    const GpsPosition& at = facts.position;
    const bool positionSound = !at.known || (at.latitude >= -90.0 && at.latitude <= 90.0 &&
                                             at.longitude >= -180.0 && at.longitude <= 180.0);
    if (!dateSound || !positionSound) {
        std::abort();
    }
    return 0;
}
