#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "overlay/win32_clock_text.h"

namespace {

// What the format calls were given, and what they answer.
struct FormatCall {
    bool userLocale;
    DWORD flags;
    bool ownFormat;
    bool sameTime;
};
std::vector<FormatCall> timeCalls;
std::vector<FormatCall> dateCalls;
std::wstring timeAnswer;
std::wstring dateAnswer;
const SYSTEMTIME* expectedTime = nullptr;

int Answer(const std::wstring& answer, LPWSTR buffer, int size)
{
    if (answer.empty()) {
        return 0;
    }
    const int needed = static_cast<int>(answer.size()) + 1;
    if (size == 0) {
        return needed;
    }
    if (size < needed) {
        return 0;
    }
    answer.copy(buffer, answer.size());
    buffer[answer.size()] = L'\0';
    return needed;
}

int WINAPI FakeTimeFormat(LPCWSTR locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR buffer,
                          int size)
{
    timeCalls.push_back({locale == LOCALE_NAME_USER_DEFAULT, flags, format != nullptr, time == expectedTime});
    return Answer(timeAnswer, buffer, size);
}

int WINAPI FakeDateFormat(LPCWSTR locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer,
                          int size, LPCWSTR calendar)
{
    dateCalls.push_back({locale == LOCALE_NAME_USER_DEFAULT && calendar == nullptr, flags, format != nullptr,
                         date == expectedTime});
    return Answer(dateAnswer, buffer, size);
}

TEST(ClockTextTest, TheUsersOwnLocaleAndFormatsWriteTheLines)
{
    const std::wstring longDate = L"Mittwoch, 9. Dezember 2026 " + std::wstring(300, L'x');
    const struct {
        int clockShown;
        std::wstring time, date;
        std::vector<std::string> lines;
        size_t dateCallCount;
    } cases[] = {
        {1, L"17:05", L"unused", {"17:05"}, 0},
        {2, L"5:05 PM", L"Wednesday, December 9, 2026", {"5:05 PM", "Wednesday, December 9, 2026"}, 2},
        // UTF-8 out, however long the locale writes it.
        {2, L"17\u00a0h 05", longDate, {"17\u00a0h 05", "Mittwoch, 9. Dezember 2026 " + std::string(300, 'x')}, 2},
        // A failing call leaves its line out rather than showing garbage.
        {2, L"", L"9.12.2026", {"9.12.2026"}, 2},
        {0, L"17:05", L"9.12.2026", {}, 0},
    };
    const SYSTEMTIME now{2026, 12, 3, 9, 17, 5, 42, 0};
    for (const auto& c : cases) {
        timeCalls.clear();
        dateCalls.clear();
        timeAnswer = c.time;
        dateAnswer = c.date;
        expectedTime = &now;
        DateTimeFormatting fake;
        fake.timeFormat = FakeTimeFormat;
        fake.dateFormat = FakeDateFormat;
        EXPECT_EQ(ClockLines(now, c.clockShown, fake), c.lines) << c.clockShown;
        EXPECT_EQ(timeCalls.size(), c.clockShown > 0 ? (c.time.empty() ? 1u : 2u) : 0u);
        EXPECT_EQ(dateCalls.size(), c.dateCallCount);
        for (const FormatCall& call : timeCalls) {
            EXPECT_TRUE(call.userLocale && !call.ownFormat && call.sameTime);
            EXPECT_EQ(call.flags, static_cast<DWORD>(TIME_NOSECONDS));
        }
        for (const FormatCall& call : dateCalls) {
            EXPECT_TRUE(call.userLocale && !call.ownFormat && call.sameTime);
            EXPECT_EQ(call.flags, static_cast<DWORD>(DATE_LONGDATE));
        }
    }
}

}  // namespace
