#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "overlay/win32_clock_text.h"

namespace {

// Each call records whether it got the user's locale, the flags, no format
// of its own and the time given; it answers as Windows does.
std::string calls;
std::wstring timeAnswer, dateAnswer;
const SYSTEMTIME* given = nullptr;

int Answer(const std::wstring& answer, LPWSTR buffer, int size)
{
    if (answer.empty() || (size != 0 && size <= static_cast<int>(answer.size()))) {
        return 0;
    }
    if (size != 0) {
        buffer[answer.copy(buffer, answer.size())] = L'\0';
    }
    return static_cast<int>(answer.size()) + 1;
}

std::string Call(char kind, LPCWSTR locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format)
{
    const bool right = locale == LOCALE_NAME_USER_DEFAULT && format == nullptr && time == given;
    return std::string(1, right ? kind : '?') + std::to_string(flags) + " ";
}

int WINAPI FakeTime(LPCWSTR locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR buffer, int size)
{
    calls += Call('t', locale, flags, time, format);
    return Answer(timeAnswer, buffer, size);
}

int WINAPI FakeDate(LPCWSTR locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer, int size,
                    LPCWSTR calendar)
{
    calls += Call(calendar == nullptr ? 'd' : '?', locale, flags, date, format);
    return Answer(dateAnswer, buffer, size);
}

TEST(ClockTextTest, TheUsersOwnLocaleAndFormatsWriteTheLines)
{
    const std::string t = "t" + std::to_string(TIME_NOSECONDS) + " ";
    const std::string d = "d" + std::to_string(DATE_LONGDATE) + " ";
    const std::wstring longDate = L"Mittwoch, 9. Dezember 2026 " + std::wstring(300, L'x');
    const struct {
        int clockShown;
        std::wstring time, date;
        std::vector<std::string> lines;
        std::string calls;  // each call twice: the length, then the text
    } cases[] = {
        {1, L"17:05", L"unused", {"17:05"}, t + t},
        {2, L"5:05 PM", L"Wednesday, December 9, 2026", {"5:05 PM", "Wednesday, December 9, 2026"}, t + t + d + d},
        // UTF-8, however long the locale writes it.
        {2, L"17\u00a0h 05", longDate, {"17\u00a0h 05", "Mittwoch, 9. Dezember 2026 " + std::string(300, 'x')},
         t + t + d + d},
        // A call that fails leaves its line out rather than showing garbage.
        {2, L"", L"9.12.2026", {"9.12.2026"}, t + d + d},
        {0, L"17:05", L"9.12.2026", {}, ""},
    };
    static const SYSTEMTIME now{2026, 12, 3, 9, 17, 5, 42, 0};
    given = &now;
    for (const auto& c : cases) {
        calls.clear();
        timeAnswer = c.time;
        dateAnswer = c.date;
        EXPECT_EQ(ClockLines(now, c.clockShown, DateTimeFormatting{FakeTime, FakeDate}), c.lines) << c.clockShown;
        EXPECT_EQ(calls, c.calls);
    }
}

}  // namespace
