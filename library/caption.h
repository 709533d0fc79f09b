#pragma once

#include <cstdint>
#include <string>

#include "picture/exif_facts.h"

// The caption under a picture of a file or folder: when it was taken, where
// it lies in the chosen folder and, where the photo knows it, where on earth
// it was taken. Texts are UTF-8.

// The picture's folder relative to the chosen one ("Holidays\2019 Crete"),
// or its name without its extension where it lies in the chosen folder
// itself; for a chosen file (`chosenFolder` ""), or a path outside the
// folder, the file's name without its extension.
std::string CaptionPlace(const std::string& chosenFolder, const std::string& path);

// Latitude and longitude in degrees with one decimal: "35.3° N, 25.1° E";
// "" where the position is not known.
std::string CaptionPosition(const GpsPosition& position);

// The day the caption gives: the photo's own, else the file's; year 0 where
// neither is a date.
CalendarDate CaptionDate(const CalendarDate& taken, const CalendarDate& fileModified);

// The caption's lines: the place, then the date and the position on one.
std::string CaptionText(const std::string& place, const std::string& date, const std::string& position);
