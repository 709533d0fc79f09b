#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "overlay/win32_clock_overlay.h"
#include "win32_gl_fixture.h"

namespace {

constexpr int width = 160;
constexpr int height = 80;

// The lightest and darkest red of the text drawn over grey, and the red of a
// corner it never reaches.
std::vector<int> DrawnOverGrey(const TextOverlay& text, float opacity)
{
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    text.Draw(Viewport{0, 0, width, height}, 2, 2, opacity);
    std::vector<GLubyte> pixels(width * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<int> found{0, 255, pixels[(width - 1) * 4]};
    for (size_t i = 0; i < pixels.size(); i += 4) {
        found[0] = std::max<int>(found[0], pixels[i]);
        found[1] = std::min<int>(found[1], pixels[i]);
    }
    return found;
}

TEST(TextOverlayTest, LightTextWithADarkShadowFadingAndLeavingTheStateAlone)
{
    // The window's frame takes some of its size: room to spare.
    HiddenGLContext context(2 * width, 3 * height);
    ASSERT_TRUE(context.Ready());
    glEnable(GL_DEPTH_TEST);
    TextOverlay text;
    text.SetText({"12:45"}, 24);
    EXPECT_GT(text.Width(), 40);
    const struct {
        float opacity;
        int lightestAtLeast, lightestAtMost, darkestAtMost;
    } cases[] = {{1.0f, 240, 255, 90}, {0.5f, 170, 215, 110}, {0.0f, 127, 128, 128}};
    for (const auto& c : cases) {
        const std::vector<int> found = DrawnOverGrey(text, c.opacity);
        EXPECT_TRUE(found[0] >= c.lightestAtLeast && found[0] <= c.lightestAtMost) << c.opacity << ": " << found[0];
        EXPECT_LE(found[1], c.darkestAtMost) << c.opacity;
        EXPECT_NEAR(found[2], 128, 1) << c.opacity;
    }
    // The water drawn next finds its own set-up.
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_BLEND) && depth == 1);

    text.SetText(std::vector<std::string>{""}, 24);
    EXPECT_TRUE(text.Empty());
    EXPECT_EQ(DrawnOverGrey(text, 1.0f)[0], 128);
}

SYSTEMTIME fakeNow;
uint64_t fakeMicroseconds = 0;
int timeFormatCalls = 0;
int WINAPI CountedTimeFormat(LPCWSTR, DWORD, const SYSTEMTIME* time, LPCWSTR, LPWSTR buffer, int size)
{
    ++timeFormatCalls;
    const std::wstring text = std::to_wstring(time->wHour) + L":" + std::to_wstring(time->wMinute);
    if (size > 0) {
        buffer[text.copy(buffer, text.size())] = L'\0';
    }
    return static_cast<int>(text.size()) + 1;
}

TEST(ClockOverlayTest, DrawsItsTextOncePerMinuteAndMovesWithEachMinute)
{
    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    ClockOverlay clock(clockTimeOnly, [] { return fakeMicroseconds; }, 3);
    clock.localTime = [](SYSTEMTIME* time) { *time = fakeNow; };
    clock.formatting.timeFormat = CountedTimeFormat;
    clock.ShowFor(96, 600);
    const Viewport monitor{0, 0, 800, 600};

    // Frames 16 ms apart from 10:59:58.500 to 11:00:01.540.
    fakeNow = SYSTEMTIME{2026, 12, 3, 9, 10, 59, 58, 500};
    std::vector<TextPlace> places;
    for (int frame = 0; frame < 190; ++frame) {
        clock.Advance(monitor);
        if (places.empty() || !(places.back() == clock.Place())) {
            places.push_back(clock.Place());
        }
        if (frame == 80) {
            EXPECT_LT(clock.Opacity(), 0.6f) << "fading out over the minute's last half second";
        }
        fakeMicroseconds += 16000;
        const int ms = (fakeNow.wSecond * 1000 + fakeNow.wMilliseconds + 16) % 60000;
        fakeNow.wSecond = static_cast<WORD>(ms / 1000);
        fakeNow.wMilliseconds = static_cast<WORD>(ms % 1000);
        if (ms < 16) {
            fakeNow.wHour = 11;
            fakeNow.wMinute = 0;
        }
    }
    EXPECT_EQ(timeFormatCalls, 2 * 2) << "two texts, each measured then written";
    EXPECT_EQ(places.size(), 2u);
    EXPECT_FLOAT_EQ(clock.Opacity(), 1.0f);

    // New formats are drawn again in place.
    clock.FormatsChanged();
    clock.Advance(monitor);
    EXPECT_EQ(timeFormatCalls, 6);
    EXPECT_EQ(clock.Place(), places.back());
}

}  // namespace
