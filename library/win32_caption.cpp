#include "library/win32_caption.h"

#include <windows.h>

#include "library/caption.h"
#include "text/win32_wide.h"

static std::string UserLongDate(const CalendarDate& date)
{
    SYSTEMTIME day = {};
    day.wYear = static_cast<WORD>(date.year);
    day.wMonth = static_cast<WORD>(date.month);
    day.wDay = static_cast<WORD>(date.day);
    // Through a file time and back, which fills in the day of the week the
    // long formats name.
    FILETIME asFileTime = {};
    if (!SystemTimeToFileTime(&day, &asFileTime) || !FileTimeToSystemTime(&asFileTime, &day)) {
        return std::string();
    }
    wchar_t text[128];
    const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, &day, nullptr, text,
                                       static_cast<int>(sizeof text / sizeof text[0]), nullptr);
    return length > 1 ? Utf8FromWide(std::wstring_view(text, static_cast<size_t>(length - 1))) : std::string();
}

LongDateWriter longDateWriter = UserLongDate;

// The day a file was last written, in the time zone of this machine as it
// was on that day.
static CalendarDate LocalDateOf(uint64_t fileTime)
{
    const FILETIME utc = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME utcTime = {};
    SYSTEMTIME local = {};
    if (fileTime == 0 || !FileTimeToSystemTime(&utc, &utcTime) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local)) {
        return CalendarDate();
    }
    return {local.wYear, local.wMonth, local.wDay};
}

std::string PictureCaption(const std::string& chosenFolder, const std::string& path, const DecodedPicture& picture)
{
    const CalendarDate date = CaptionDate(picture.facts.taken, LocalDateOf(picture.modified));
    return CaptionText(CaptionPlace(chosenFolder, path), date.year != 0 ? longDateWriter(date) : std::string(),
                       CaptionPosition(picture.facts.position));
}

// A drive letter's fixed disk; shares and their mapped letters are not.
static bool OnLocalDisk(const std::string& path)
{
    if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) {
        return false;
    }
    const wchar_t root[] = {static_cast<wchar_t>(path[0]), L':', L'\\', 0};
    return GetDriveTypeW(root) == DRIVE_FIXED;
}

std::string CaptionOfDecoded(const std::string& chosenFolder, const std::string& path, DecodedPicture& picture)
{
    if (picture.fromCopy && OnLocalDisk(path)) {
        const uint64_t copied = picture.modified;
        ReadFileFacts(WidePath(path).c_str(), picture);
        picture.modified = picture.modified != 0 ? picture.modified : copied;
    }
    return PictureCaption(chosenFolder, path, picture);
}
