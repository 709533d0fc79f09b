#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "overlay/win32_clock_overlay.h"
#include "overlay/win32_text_overlay.h"
#include "win32_gl_fixture.h"

namespace {

constexpr int width = 160;
constexpr int height = 80;

// Lightest and darkest red of the frame drawn so far, and the red of a
// corner the text never reaches.
struct Frame {
    int lightest, darkest, corner;
};

Frame DrawnOverGrey(const TextOverlay& text, float opacity)
{
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    text.Draw(Viewport{0, 0, width, height}, 2, 2, opacity);
    std::vector<GLubyte> pixels(width * height * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    Frame frame{0, 255, pixels[(width - 1) * 4]};  // bottom-right
    for (size_t i = 0; i < pixels.size(); i += 4) {
        frame.lightest = std::max<int>(frame.lightest, pixels[i]);
        frame.darkest = std::min<int>(frame.darkest, pixels[i]);
    }
    return frame;
}

TEST(TextOverlayTest, LightTextWithADarkShadowFadingAndLeavingTheStateAlone)
{
    // The window's frame takes some of its size: room to spare.
    HiddenGLContext context(2 * width, 3 * height);
    ASSERT_TRUE(context.Ready());
    glEnable(GL_DEPTH_TEST);
    TextOverlay text;
    text.SetText({"12:45"}, 24);
    ASSERT_FALSE(text.Empty());
    EXPECT_GT(text.Width(), 40);
    EXPECT_LT(text.Height(), height / 2 + 30);

    const struct {
        float opacity;
        int lightestAtLeast, lightestAtMost, darkestAtMost;
    } cases[] = {{1.0f, 240, 255, 90}, {0.5f, 170, 215, 110}, {0.0f, 127, 128, 128}};
    for (const auto& c : cases) {
        const Frame frame = DrawnOverGrey(text, c.opacity);
        EXPECT_GE(frame.lightest, c.lightestAtLeast) << c.opacity;
        EXPECT_LE(frame.lightest, c.lightestAtMost) << c.opacity;
        EXPECT_LE(frame.darkest, c.darkestAtMost) << c.opacity;
        EXPECT_NEAR(frame.corner, 128, 1) << c.opacity;
    }
    // The water drawn next finds its own set-up.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);

    text.SetText(std::vector<std::string>{""}, 24);
    EXPECT_TRUE(text.Empty());
    EXPECT_EQ(DrawnOverGrey(text, 1.0f).lightest, 128);
}

SYSTEMTIME fakeNow;
void FakeLocalTime(SYSTEMTIME* time)
{
    *time = fakeNow;
}
uint64_t fakeMicroseconds = 0;
uint64_t FakeSteadyClock()
{
    return fakeMicroseconds;
}
int timeFormatCalls = 0;
int WINAPI CountedTimeFormat(LPCWSTR, DWORD, const SYSTEMTIME* time, LPCWSTR, LPWSTR buffer, int size)
{
    ++timeFormatCalls;
    const std::wstring text = std::to_wstring(time->wHour) + L":" + std::to_wstring(time->wMinute);
    if (size > 0) {
        text.copy(buffer, text.size());
        buffer[text.size()] = L'\0';
    }
    return static_cast<int>(text.size()) + 1;
}

TEST(ClockOverlayTest, DrawsItsTextOncePerMinuteAndMovesWithEachMinute)
{
    HiddenGLContext context(width, height);
    ASSERT_TRUE(context.Ready());
    ClockOverlay clock(clockTimeOnly, FakeSteadyClock, 3);
    clock.localTime = FakeLocalTime;
    clock.formatting.timeFormat = CountedTimeFormat;
    clock.ShowFor(96, 600);
    const Viewport monitor{0, 0, 800, 600};
    timeFormatCalls = 0;

    // Frames 16 ms apart from 10:59:58.5 to 11:00:01.5: "10:59", then at
    // the boundary "11:0" in a new place.
    fakeNow = SYSTEMTIME{2026, 12, 3, 9, 10, 59, 58, 500};
    fakeMicroseconds = 5000000;
    std::vector<TextPlace> places;
    for (int frame = 0; frame < 190; ++frame) {
        clock.Advance(monitor);
        if (places.empty() || !(places.back() == clock.Place())) {
            places.push_back(clock.Place());
        }
        if (frame == 80) {
            EXPECT_LT(clock.Opacity(), 0.6f);  // fading out over the last 0.5 s of the minute
        }
        fakeMicroseconds += 16000;
        fakeNow.wMilliseconds = static_cast<WORD>(fakeNow.wMilliseconds + 16);
        if (fakeNow.wMilliseconds >= 1000) {
            fakeNow.wMilliseconds = static_cast<WORD>(fakeNow.wMilliseconds - 1000);
            if (++fakeNow.wSecond == 60) {
                fakeNow.wSecond = 0;
                fakeNow.wMinute = 0;
                fakeNow.wHour = 11;
            }
        }
    }
    EXPECT_EQ(timeFormatCalls, 2 * 2);  // two texts, each measured then written
    EXPECT_EQ(places.size(), 2u);
    EXPECT_FLOAT_EQ(clock.Opacity(), 1.0f);

    // New formats are drawn in place.
    clock.FormatsChanged();
    clock.Advance(monitor);
    EXPECT_EQ(timeFormatCalls, 6);
    EXPECT_EQ(clock.Place(), places.back());
}

}  // namespace
