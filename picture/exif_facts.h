#pragma once

#include <cstddef>
#include <cstdint>

// A calendar date as a photo or a file gives it; `year` 0 when there is none.
struct CalendarDate {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to the month's last
};

// Where a photo was taken, in degrees: north and east positive.
struct GpsPosition {
    bool known = false;
    double latitude = 0.0;   // -90 to 90
    double longitude = 0.0;  // -180 to 180
};

// What a photo's EXIF block says of when and where it was taken.
struct ExifFacts {
    CalendarDate taken;  // DateTimeOriginal, else DateTime
    GpsPosition position;
};

// Reads them from the start of a JPEG file (its APP1 "Exif" segment) or of a
// TIFF file, in either byte order. `data` may be cut short anywhere, or
// hostile: nothing outside data[0, size) is read, and what cannot be read
// (no EXIF, a broken block, a date of blanks or zeros, a position without its
// hemisphere) is left out.
ExifFacts ReadExifFacts(const uint8_t* data, size_t size);

// Whether the parts make a date of the Gregorian calendar from year 1601,
// the first the system's date functions take.
bool IsCalendarDate(const CalendarDate& date);
