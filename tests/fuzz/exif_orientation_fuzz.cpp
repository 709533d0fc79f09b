// Any bytes as the start of a picture file: the EXIF reader stays inside
// them (the sanitizers watch every read) and answers 0 or an orientation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

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
    return 0;
}
