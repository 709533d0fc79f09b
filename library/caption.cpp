#include "library/caption.h"

#include <cmath>

#include "text/ascii_case.h"

static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static std::string NameWithoutExtension(const std::string& path)
{
    size_t start = path.size();
    while (start > 0 && !IsSeparator(path[start - 1])) {
        --start;
    }
    const std::string name = path.substr(start);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string CaptionPlace(const std::string& chosenFolder, const std::string& path)
{
    std::string folder = chosenFolder;
    while (!folder.empty() && IsSeparator(folder.back())) {
        folder.pop_back();
    }
    const bool inside = !folder.empty() && path.size() > folder.size() + 1 && IsSeparator(path[folder.size()]) &&
                        AsciiLowerCase(path.substr(0, folder.size())) == AsciiLowerCase(folder);
    if (!inside) {
        return NameWithoutExtension(path);
    }
    const std::string relative = path.substr(folder.size() + 1);
    size_t end = relative.size();
    while (end > 0 && !IsSeparator(relative[end - 1])) {
        --end;
    }
    if (end == 0) {
        return NameWithoutExtension(relative);
    }
    // Shown the Windows way, whichever slash the path was written with.
    std::string place = relative.substr(0, end - 1);
    for (char& c : place) {
        c = IsSeparator(c) ? '\\' : c;
    }
    return place;
}

// Tenths of a degree, counted in whole numbers: a printf format would take
// the decimal point of whatever C locale is set.
static std::string Degrees(double value, char positive, char negative)
{
    const long tenths = std::lround(std::fabs(value) * 10.0);
    const char hemisphere = value < 0.0 && tenths != 0 ? negative : positive;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "\xC2\xB0 " + hemisphere;
}

std::string CaptionPosition(const GpsPosition& position)
{
    if (!position.known) {
        return std::string();
    }
    return Degrees(position.latitude, 'N', 'S') + ", " + Degrees(position.longitude, 'E', 'W');
}

CalendarDate CaptionDate(const CalendarDate& taken, const CalendarDate& fileModified)
{
    return IsCalendarDate(taken) ? taken : IsCalendarDate(fileModified) ? fileModified : CalendarDate();
}

std::string CaptionText(const std::string& place, const std::string& date, const std::string& position)
{
    std::string second = date;
    if (!position.empty()) {
        second += second.empty() ? position : "   " + position;
    }
    if (place.empty() || second.empty()) {
        return place + second;
    }
    return place + "\n" + second;
}
