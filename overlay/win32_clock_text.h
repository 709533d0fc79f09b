#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The clock's lines as the user's own Windows settings write them: the time
// in the short time format of the user's locale (12 or 24 hours, as the user
// chose; no seconds), and with the date, the long date format. The calls
// into Windows are a seam tests replace.
struct DateTimeFormatting {
    decltype(&GetTimeFormatEx) timeFormat = GetTimeFormatEx;
    decltype(&GetDateFormatEx) dateFormat = GetDateFormatEx;
};

// What the Clock setting asks for.
constexpr int clockTimeOnly = 1;
constexpr int clockTimeAndDate = 2;

// `clockShown`: 1 the time, 2 the time and the date; UTF-8. A format call
// that fails leaves its line out.
std::vector<std::string> ClockLines(const SYSTEMTIME& localTime, int clockShown,
                                    const DateTimeFormatting& formatting = DateTimeFormatting());
