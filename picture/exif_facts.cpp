#include "picture/exif_facts.h"

#include <string>

#include "picture/exif_tiff.h"

static const uint16_t kDateTimeTag = 0x0132;
static const uint16_t kExifDirectoryTag = 0x8769;
static const uint16_t kGpsDirectoryTag = 0x8825;
static const uint16_t kDateTimeOriginalTag = 0x9003;
static const uint16_t kGpsLatitudeRefTag = 1;
static const uint16_t kGpsLatitudeTag = 2;
static const uint16_t kGpsLongitudeRefTag = 3;
static const uint16_t kGpsLongitudeTag = 4;

bool IsCalendarDate(const CalendarDate& date)
{
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1601 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) {
        return false;
    }
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    const int last = kDaysInMonth[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
    return date.day <= last;
}

static bool Digits(const std::string& text, size_t from, size_t count, int& value)
{
    value = 0;
    for (size_t k = from; k < from + count; ++k) {
        if (k >= text.size() || text[k] < '0' || text[k] > '9') {
            return false;
        }
        value = value * 10 + (text[k] - '0');
    }
    return true;
}

// "YYYY:MM:DD HH:MM:SS"; some programs write dashes or slashes between the
// date's parts. Cameras without a set clock write blanks or zeros.
static CalendarDate ParseExifDate(const std::string& text)
{
    CalendarDate date;
    const auto separator = [&text](size_t k) {
        return k < text.size() && (text[k] == ':' || text[k] == '-' || text[k] == '/');
    };
    if (!Digits(text, 0, 4, date.year) || !separator(4) || !Digits(text, 5, 2, date.month) || !separator(7) ||
        !Digits(text, 8, 2, date.day) || !IsCalendarDate(date)) {
        return CalendarDate();
    }
    return date;
}

static CalendarDate DateIn(const ExifTiff& tiff, size_t directory, uint16_t tag)
{
    ExifTiff::Entry entry;
    return tiff.FindEntry(directory, tag, entry) ? ParseExifDate(tiff.Ascii(entry)) : CalendarDate();
}

// Degrees, minutes and seconds, signed by the hemisphere's letter.
static bool Coordinate(const ExifTiff& tiff, size_t gps, uint16_t refTag, uint16_t valueTag, char positive,
                       char negative, double limit, double& degrees)
{
    ExifTiff::Entry ref;
    ExifTiff::Entry value;
    if (!tiff.FindEntry(gps, refTag, ref) || !tiff.FindEntry(gps, valueTag, value) || value.count < 3) {
        return false;
    }
    const std::string hemisphere = tiff.Ascii(ref);
    if (hemisphere.empty() || (hemisphere[0] != positive && hemisphere[0] != negative)) {
        return false;
    }
    double parts[3] = {0.0, 0.0, 0.0};
    for (uint32_t k = 0; k < 3; ++k) {
        if (!tiff.Rational(value, k, parts[k])) {
            return false;
        }
    }
    degrees = parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
    if (degrees > limit) {
        return false;
    }
    degrees = hemisphere[0] == negative ? -degrees : degrees;
    return true;
}

static GpsPosition PositionIn(const ExifTiff& tiff, size_t first)
{
    GpsPosition position;
    size_t gps = 0;
    position.known = tiff.SubDirectory(first, kGpsDirectoryTag, gps) &&
                     Coordinate(tiff, gps, kGpsLatitudeRefTag, kGpsLatitudeTag, 'N', 'S', 90.0, position.latitude) &&
                     Coordinate(tiff, gps, kGpsLongitudeRefTag, kGpsLongitudeTag, 'E', 'W', 180.0, position.longitude);
    return position.known ? position : GpsPosition();
}

ExifFacts ReadExifFacts(const uint8_t* data, size_t size)
{
    ExifFacts facts;
    ExifTiff tiff;
    size_t first = 0;
    if (!ExifTiff::Find(data, size, tiff) || !tiff.FirstDirectory(first)) {
        return facts;
    }
    size_t exif = 0;
    if (tiff.SubDirectory(first, kExifDirectoryTag, exif)) {
        facts.taken = DateIn(tiff, exif, kDateTimeOriginalTag);
    }
    if (facts.taken.year == 0) {
        facts.taken = DateIn(tiff, first, kDateTimeTag);
    }
    facts.position = PositionIn(tiff, first);
    return facts;
}
