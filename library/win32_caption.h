#pragma once

#include <string>

#include "picture/exif_facts.h"
#include "picture/win32_picture_decoder.h"

// The caption of a picture decoded from `path` in a show of `chosenFolder`
// ("" for one chosen file): its place, its date in the user's long date
// format, its position (see caption.h). Called off the drawing thread.
std::string PictureCaption(const std::string& chosenFolder, const std::string& path, const DecodedPicture& picture);

// PictureCaption, and for a cached copy (which keeps no EXIF) of a file on a
// local disk, which answers at once, the file's own facts first; a copy of
// a file on a share, which may be slow or away, has its file date.
std::string CaptionOfDecoded(const std::string& chosenFolder, const std::string& path, DecodedPicture& picture);

// Writes a date as the user's settings write a long date (GetDateFormatEx with
// the user's locale); "" where it cannot. Tests put their own in.
using LongDateWriter = std::string (*)(const CalendarDate& date);
extern LongDateWriter longDateWriter;
