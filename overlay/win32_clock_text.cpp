#include "overlay/win32_clock_text.h"

#include "text/win32_wide.h"

namespace {

// Both format calls answer the length they need (with the terminating null)
// when given no buffer; a locale's long date may be long.
template <class Format>
std::string Formatted(Format format)
{
    const int length = format(nullptr, 0);
    if (length <= 0) {
        return std::string();
    }
    std::wstring text(static_cast<size_t>(length), L'\0');
    const int written = format(text.data(), length);
    if (written <= 0) {
        return std::string();
    }
    text.resize(static_cast<size_t>(written - 1));
    return Utf8FromWide(text);
}

}  // namespace

std::vector<std::string> ClockLines(const SYSTEMTIME& localTime, int clockShown, const DateTimeFormatting& formatting)
{
    std::vector<std::string> lines;
    if (clockShown <= 0) {
        return lines;
    }
    const std::string time = Formatted([&](wchar_t* buffer, int size) {
        return formatting.timeFormat(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &localTime, nullptr, buffer, size);
    });
    if (!time.empty()) {
        lines.push_back(time);
    }
    if (clockShown >= clockTimeAndDate) {
        const std::string date = Formatted([&](wchar_t* buffer, int size) {
            return formatting.dateFormat(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, &localTime, nullptr, buffer, size,
                                         nullptr);
        });
        if (!date.empty()) {
            lines.push_back(date);
        }
    }
    return lines;
}
