#include <gtest/gtest.h>

#include <string>

#include "app/win32_main_window.h"
#include "app/win32_startup.h"
#include "picture/win32_monitor_size.h"
#include "text/win32_wide.h"

namespace {

// The window's messages reach the program's scene, as at start-up.
void LinkToTheScene(const char* className)
{
    RegisterMainWindowClass(GetModuleHandleA(nullptr), className, {&scene.output, nullptr});
}

TEST(MainWindowTest, SizeMessagesReachTheOutputUnchangedInEveryMode)
{
    LinkToTheScene("VitraneMainWindowTest");
    const LPARAM sizes[] = {MAKELPARAM(640, 480), MAKELPARAM(0, 0), MAKELPARAM(0, 300), MAKELPARAM(800, 0),
                            MAKELPARAM(65535, 65535)};
    for (const LPARAM size : sizes) {
        EXPECT_EQ(WndProc(nullptr, WM_SIZE, SIZE_RESTORED, size), 0);
        EXPECT_EQ(scene.output.width, LOWORD(size));
        EXPECT_EQ(scene.output.height, HIWORD(size));
    }
    scene.output.Clear();
}

TEST(MainWindowTest, ClosingTheWindowPostsAQuitWithExitCodeZero)
{
    LinkToTheScene("VitraneMainWindowTest");
    HWND window = CreateWindowExA(0, "VitraneMainWindowTest", "main window test", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    ASSERT_NE(window, nullptr);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));

    MSG message = {};
    bool quitSeen = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitSeen = true;
            EXPECT_EQ(message.wParam, 0u);
            break;
        }
    }
    EXPECT_TRUE(quitSeen);
    scene.output.Clear();
}

TEST(MainWindowTest, AnotherProgramInFrontEndsOnlyAFullScreenSaverThatHadTheForeground)
{
    // full screen, activated (1) or deactivated (0), quit expected
    const int steps[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 1}};
    LinkToTheScene("VitraneMainWindowTest");
    ForgetForeground();
    for (const auto& step : steps) {
        scene.output.fullScreen = step[0] == 1;
        EXPECT_EQ(WndProc(nullptr, WM_ACTIVATEAPP, step[1], 0), 0);
        MSG message = {};
        EXPECT_EQ(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0, step[2] == 1);
    }
    scene.output.Clear();
}

TEST(MainWindowTest, APreviewParentThatGoesEndsTheProgramWithExitCodeZero)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
    WatchPreviewParent(parent);
    ASSERT_TRUE(DestroyWindow(parent));
    MSG message = {};
    for (const DWORD start = GetTickCount(); message.message != WM_QUIT && GetTickCount() - start < 2000;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
            DispatchMessageA(&message);
        }
    }
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 0u);
}

TEST(MainWindowTest, ClassCarriesTheProgramsIconsAndArrowCursor)
{
    LinkToTheScene("VitraneMainWindowClassTest");
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "VitraneMainWindowClassTest", &windowClass));
    EXPECT_EQ(windowClass.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(windowClass.lpfnWndProc, WndProc);
    EXPECT_NE(windowClass.hIcon, nullptr);
    EXPECT_NE(windowClass.hIconSm, nullptr);
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(windowClass.hbrBackground, GetStockObject(BLACK_BRUSH)) << "no white before the first frame";
}

TEST(MainWindowTest, ErasingTheBackgroundPaintsNothing)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    (void)SetPixel(dc, 1, 1, RGB(40, 80, 120));  // the desktop as it was
    EXPECT_NE(WndProc(nullptr, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0) << "reported as erased";
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(40, 80, 120));
    DeleteObject(SelectObject(dc, previous));
    DeleteDC(dc);
}

TEST(PictureDecodeSizeTest, ThePreviewDecodesForItsOwnSizeFullScreenForTheLargestMonitor)
{
    GLWindow output;
    output.width = 152;
    output.height = 112;
    for (const bool fullScreen : {false, true}) {
        output.fullScreen = fullScreen;
        const PixelSize expected = fullScreen ? LargestMonitorSize() : PixelSize{152, 112};
        const PixelSize size = PictureDecodeSize(output);
        EXPECT_TRUE(size.width == expected.width && size.height == expected.height) << fullScreen;
    }
}

TEST(ModuleFilePathTest, ReadsThisProgramsWholePath)
{
    const std::string path = ModuleFilePath(nullptr);
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ(path.substr(path.size() - 4), ".exe");
    EXPECT_NE(path.find('\\'), std::string::npos);
    EXPECT_EQ(GetFileAttributesW(WidePath(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
