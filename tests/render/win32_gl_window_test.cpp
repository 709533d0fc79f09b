#include <gtest/gtest.h>

#include <GL/gl.h>

#include "render/win32_gl_window.h"
#include "win32_gl_fixture.h"

namespace {

HWND CreateTestWindow(DWORD style, int width, int height, HWND parent = nullptr)
{
    static const char* const className = "VitraneGLWindowTest";
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        registered = RegisterClassExA(&windowClass) != 0;
    }
    return CreateWindowExA(0, className, "gl window test", style, 10, 10, width, height, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(GLWindowTest, ResizeWithoutAContextOrWithZeroHeightOnlyRecordsTheSize)
{
    GLWindow output;
    output.Clear();
    const int sizes[][2] = {{640, 480}, {0, 0}, {300, 0}, {0, 200}, {65535, 65535}};
    for (const auto& size : sizes) {
        output.Resize(size[0], size[1]);
        EXPECT_EQ(output.width, size[0]);
        EXPECT_EQ(output.height, size[1]);
    }

    HiddenGLContext context;
    ASSERT_TRUE(context.Ready());
    output.renderingContext = wglGetCurrentContext();
    glViewport(0, 0, 7, 7);
    output.Resize(320, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 7) << "no projection for a zero height";
    output.Resize(32, 16);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 32);
    EXPECT_EQ(viewport[3], 16);
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    output.renderingContext = nullptr;  // the fixture owns the context
}

TEST(GLWindowTest, WindowedSetupTakesTheClientAreaAndMakesAContextCurrent)
{
    HWND window = CreateTestWindow(WS_OVERLAPPEDWINDOW, 300, 200);
    ASSERT_NE(window, nullptr);
    RECT client = {};
    GetClientRect(window, &client);

    GLWindow output;
    output.Clear();
    ASSERT_TRUE(output.Setup(window, false));
    EXPECT_FALSE(output.IsFullScreen());
    EXPECT_EQ(output.window, window);
    EXPECT_EQ(output.width, client.right);
    EXPECT_EQ(output.height, client.bottom);
    EXPECT_EQ(wglGetCurrentContext(), output.renderingContext);
    EXPECT_FALSE(IsWindowVisible(window)) << "shown only once attached to a parent";

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(output.renderingContext);
    ReleaseDC(window, output.deviceContext);
    DestroyWindow(window);
}

TEST(GLWindowTest, FullScreenSetupCoversTheDesktopWindowWithoutAFrame)
{
    HWND window = CreateTestWindow(WS_OVERLAPPEDWINDOW, 1, 1);
    ASSERT_NE(window, nullptr);
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);

    GLWindow output;
    output.Clear();
    ASSERT_TRUE(output.Setup(window, true));
    EXPECT_TRUE(output.IsFullScreen());
    EXPECT_EQ(output.width, desktop.right);
    EXPECT_EQ(output.height, desktop.bottom);
    RECT placed = {};
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(placed.right, desktop.right);
    EXPECT_EQ(placed.bottom, desktop.bottom);
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0);

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(output.renderingContext);
    ReleaseDC(window, output.deviceContext);
    DestroyWindow(window);
    ShowCursor(TRUE);
}

TEST(GLWindowTest, FullScreenSetupWithoutAContextFailsAndShowsNothing)
{
    HWND window = CreateTestWindow(WS_OVERLAPPEDWINDOW, 1, 1);
    ASSERT_NE(window, nullptr);
    GLWindow output;
    output.Clear();
    output.createContext = [](HDC) -> HGLRC { return nullptr; };

    EXPECT_FALSE(output.Setup(window, true));
    EXPECT_EQ(output.renderingContext, nullptr);
    EXPECT_FALSE(IsWindowVisible(window)) << "a window shown without OpenGL stays blank";

    ReleaseDC(window, output.deviceContext);
    DestroyWindow(window);
    ShowCursor(TRUE);
}

TEST(GLWindowTest, AttachToParentFillsTheParentsOuterSizeAndIsNotFullScreen)
{
    HWND parent = CreateTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 152, 112);
    HWND window = CreateTestWindow(WS_OVERLAPPEDWINDOW, 1, 1);
    ASSERT_NE(parent, nullptr);
    ASSERT_NE(window, nullptr);

    GLWindow output;
    output.Clear();
    ASSERT_TRUE(output.Setup(window, false));
    output.fullScreen = true;  // whatever came before, the preview is not
    ASSERT_TRUE(output.AttachToParent(parent));

    EXPECT_FALSE(output.IsFullScreen());
    EXPECT_EQ(GetParent(window), parent);
    EXPECT_EQ(output.width, 152);
    EXPECT_EQ(output.height, 112);
    const LONG childStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (childStyle | WS_POPUP | WS_CAPTION), childStyle);
    RECT placed = {};
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.right - placed.left, 152);
    EXPECT_EQ(placed.bottom - placed.top, 112);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 152);
    EXPECT_EQ(viewport[3], 112);

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(output.renderingContext);
    ReleaseDC(window, output.deviceContext);
    DestroyWindow(parent);  // takes its child with it
    EXPECT_FALSE(IsWindow(window));
}

TEST(GLWindowTest, AttachingToAParentThatIsGoneFailsAndShowsNothing)
{
    HWND parent = CreateTestWindow(WS_OVERLAPPEDWINDOW, 152, 112);
    GLWindow output;
    output.window = CreateTestWindow(WS_OVERLAPPEDWINDOW, 1, 1);
    ASSERT_TRUE(DestroyWindow(parent));
    EXPECT_FALSE(output.AttachToParent(parent));
    EXPECT_FALSE(IsWindowVisible(output.window));
    DestroyWindow(output.window);
}

}  // namespace
