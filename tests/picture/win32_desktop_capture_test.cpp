#include <gtest/gtest.h>

#include <vector>

#include "picture/picture_math.h"
#include "picture/win32_desktop_capture.h"
#include "picture/win32_picture_textures.h"
#include "picture_test_files.h"
#include "win32_gl_fixture.h"

namespace {

using namespace picture_test;

LRESULT CALLBACK QuadrantWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    (void)GetClientRect(window, &client);
    const int halfWidth = client.right / 2;
    const int halfHeight = client.bottom / 2;
    const struct {
        RECT rect;
        Rgb colour;
    } quadrants[] = {
        {{0, 0, halfWidth, halfHeight}, kRed},
        {{halfWidth, 0, client.right, halfHeight}, kGreen},
        {{0, halfHeight, halfWidth, client.bottom}, kBlue},
        {{halfWidth, halfHeight, client.right, client.bottom}, kYellow},
    };
    for (const auto& q : quadrants) {
        HBRUSH brush = CreateSolidBrush(RGB(q.colour.r, q.colour.g, q.colour.b));
        (void)FillRect(dc, &q.rect, brush);
        (void)DeleteObject(brush);
    }
    EndPaint(window, &paint);
    return 0;
}

// A borderless topmost window over the whole primary screen showing the
// quadrant picture, so that the desktop has known content.
class QuadrantScreen {
public:
    QuadrantScreen()
    {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = QuadrantWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "VitraneQuadrantScreen";
        (void)RegisterClassExA(&windowClass);
        window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "quadrants", WS_POPUP, 0,
                                 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
        if (window != nullptr) {
            (void)ShowWindow(window, SW_SHOW);
            (void)UpdateWindow(window);
        }
    }
    ~QuadrantScreen()
    {
        if (window != nullptr) {
            (void)DestroyWindow(window);
        }
    }
    QuadrantScreen(const QuadrantScreen&) = delete;
    QuadrantScreen& operator=(const QuadrantScreen&) = delete;

    bool Shown() const { return window != nullptr; }

private:
    HWND window = nullptr;
};

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        (void)TranslateMessage(&message);
        (void)DispatchMessageA(&message);
    }
}

struct BitmapPixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgrx; // rows bottom-up

    Rgb At(int x, int yFromBottom) const
    {
        const size_t at = (static_cast<size_t>(yFromBottom) * width + x) * 4;
        return Rgb{bgrx[at + 2], bgrx[at + 1], bgrx[at]};
    }
};

BitmapPixels ReadBitmap(HBITMAP bitmap)
{
    BitmapPixels pixels;
    BITMAP header = {};
    if (GetObjectA(bitmap, sizeof header, &header) != sizeof header) {
        return pixels;
    }
    pixels.width = header.bmWidth;
    pixels.height = header.bmHeight;
    pixels.bgrx.resize(static_cast<size_t>(pixels.width) * pixels.height * 4);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    (void)GetDIBits(screen, bitmap, 0, static_cast<UINT>(pixels.height), pixels.bgrx.data(), &info,
                    DIB_RGB_COLORS);
    (void)ReleaseDC(nullptr, screen);
    return pixels;
}

// The primary screen, as start-up captures a single monitor.
HBITMAP CaptureDesktop()
{
    const ScreenRect screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return CaptureScreenArea(screen, SnapshotSize(screen.Width(), screen.Height()));
}

bool ShowsUprightQuadrants(const BitmapPixels& pixels)
{
    const int w = pixels.width;
    const int h = pixels.height;
    return pixels.At(w / 4, h * 3 / 4) == kRed && pixels.At(w * 3 / 4, h * 3 / 4) == kGreen &&
           pixels.At(w / 4, h / 4) == kBlue && pixels.At(w * 3 / 4, h / 4) == kYellow;
}

TEST(CaptureDesktop, SnapshotHasPowerOfTwoSidesForThisScreen)
{
    const PixelSize expected =
        SnapshotSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    ASSERT_GT(expected.width, 0);
    HBITMAP snapshot = CaptureDesktop();
    ASSERT_NE(nullptr, snapshot);
    BITMAP header = {};
    ASSERT_EQ(static_cast<int>(sizeof header), GetObjectA(snapshot, sizeof header, &header));
    EXPECT_EQ(expected.width, header.bmWidth);
    EXPECT_EQ(expected.height, header.bmHeight);
    (void)DeleteObject(snapshot);
}

TEST(CaptureDesktop, SnapshotIsSelectedIntoNoDeviceContext)
{
    HBITMAP snapshot = CaptureDesktop();
    ASSERT_NE(nullptr, snapshot);
    // A bitmap can be selected into one device context at a time.
    HDC memory = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(memory, snapshot);
    EXPECT_NE(nullptr, previous);
    EXPECT_NE(HGDI_ERROR, previous);
    (void)SelectObject(memory, previous);
    (void)DeleteDC(memory);
    (void)DeleteObject(snapshot);
}

TEST(CaptureDesktop, SnapshotShowsTheScreenUprightAndSoDoesItsTexture)
{
    QuadrantScreen screen;
    ASSERT_TRUE(screen.Shown());
    // The window reaches the X display asynchronously; give it a few tries.
    HBITMAP snapshot = nullptr;
    BitmapPixels pixels;
    for (int attempt = 0; attempt < 50; ++attempt) {
        PumpMessages();
        Sleep(50);
        if (snapshot != nullptr) {
            (void)DeleteObject(snapshot);
        }
        snapshot = CaptureDesktop();
        ASSERT_NE(nullptr, snapshot);
        pixels = ReadBitmap(snapshot);
        if (ShowsUprightQuadrants(pixels)) {
            break;
        }
    }
    EXPECT_TRUE(ShowsUprightQuadrants(pixels))
        << "top left " << pixels.At(pixels.width / 4, pixels.height * 3 / 4) << ", bottom left "
        << pixels.At(pixels.width / 4, pixels.height / 4);

    HiddenGLContext gl;
    ASSERT_TRUE(gl.Ready());
    GLuint texture = 0;
    ASSERT_TRUE(LoadTextureFromBitmap(&texture, snapshot));
    const TextureImage image = ReadTexture(texture);
    EXPECT_EQ(pixels.width, image.width);
    EXPECT_EQ(pixels.height, image.height);
    EXPECT_EQ(kRed, image.TopLeft());
    EXPECT_EQ(kGreen, image.TopRight());
    EXPECT_EQ(kBlue, image.BottomLeft());
    EXPECT_EQ(kYellow, image.BottomRight());
    (void)DeleteObject(snapshot);
}

} // namespace
