#include "render/win32_gl_window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "render/win32_monitors.h"

static const LONG keepPopupAndVisible = WS_POPUP | WS_VISIBLE;  // 0x90000000
static const double resizeNearPlane = 1.0;
static const double farPlane = 100.0;

void SetProjectionAndCamera(double aspect, double nearPlane)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspect, nearPlane, farPlane);
    gluLookAt(4.0, 8.0, 9.0, 4.0, 3.0, 2.0, 0.0, 0.0, 1.0);
}

double AspectRatio(int width, int height)
{
    return static_cast<double>(static_cast<float>(width) / static_cast<float>(height));
}

void SetViewportAndCamera(int x, int y, int width, int height, double nearPlane)
{
    glViewport(x, y, width, height);
    SetProjectionAndCamera(AspectRatio(width, height), nearPlane);
    glMatrixMode(GL_MODELVIEW);
}

void GLWindow::Clear()
{
    window = nullptr;
    fullScreen = false;
    width = 0;
    height = 0;
}

static RECT CoverScreen(HWND outputWindow)
{
    // Every monitor, whose origin may lie left of or above the primary one's;
    // topmost, so that no always-on-top window is drawn over the saver.
    const ScreenRect screen = VirtualScreen();
    (void)SetWindowPos(outputWindow, HWND_TOPMOST, screen.left, screen.top, screen.Width(), screen.Height(),
                       SWP_NOREDRAW);
    return RECT{screen.left, screen.top, screen.right, screen.bottom};
}

ScreenRect GLWindow::CoverVirtualScreen()
{
    const RECT area = CoverScreen(window);
    width = area.right - area.left;
    height = area.bottom - area.top;
    return ScreenRect{area.left, area.top, area.right, area.bottom};
}

bool GLWindow::Setup(HWND outputWindow, bool fullScreenOutput)
{
    RECT area = {};
    if (fullScreenOutput) {
        // Strips caption, border, system menu and sizing frame.
        SetWindowLongA(outputWindow, GWL_STYLE, GetWindowLongA(outputWindow, GWL_STYLE) & keepPopupAndVisible);
        area = CoverScreen(outputWindow);
        ShowCursor(FALSE);
        fullScreen = true;
    } else {
        (void)GetClientRect(outputWindow, &area);
        fullScreen = false;
    }

    window = outputWindow;
    deviceContext = GetDC(outputWindow);
    if (!SetupPixelFormat(deviceContext)) {
        return false;
    }

    if (!StartOpenGL()) {
        return false;
    }

    // The size messages sent while the window was stretched may have arrived
    // before the context existed; the rectangle is the size that holds.
    width = area.right - area.left;
    height = area.bottom - area.top;
    // A windowed output is still a top-level window here: it is shown once
    // AttachToParent has made it a child, so that no frame ever shows it on
    // the desktop.
    if (fullScreenOutput) {
        ShowWindow(outputWindow, SW_SHOW);
        (void)SetForegroundWindow(outputWindow);
        ShowBlackFrame();
    }
    return true;
}

bool GLWindow::StartOpenGL()
{
    HGLRC context = createContext(deviceContext);
    if (context == nullptr) {
        return false;
    }
    if (!wglMakeCurrent(deviceContext, context)) {
        (void)wglDeleteContext(context);
        return false;
    }
    renderingContext = context;
    return true;
}

// Shown before anything is loaded: the monitors go black at once, and stay
// so until the first picture is ready, instead of showing whatever the
// window system leaves in a window nobody has drawn.
void GLWindow::ShowBlackFrame()
{
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    (void)SwapBuffers(deviceContext);
}

bool GLWindow::SetupPixelFormat(HDC dc)
{
    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 16;
    descriptor.cAccumBits = 0;
    descriptor.cDepthBits = depthBuffer ? 16 : 0;
    descriptor.cStencilBits = 0;
    descriptor.iLayerType = PFD_MAIN_PLANE;

    const int format = ChoosePixelFormat(dc, &descriptor);
    if (format == 0) {
        MessageBoxA(nullptr, "ChoosePixelFormat failed", "Error", MB_OK);
        return false;
    }
    if (!SetPixelFormat(dc, format, &descriptor)) {
        MessageBoxA(nullptr, "SetPixelFormat failed", "Error", MB_OK);
        return false;
    }
    return true;
}

bool GLWindow::AttachToParent(HWND parent)
{
    // The child style first: SetParent leaves a popup's style alone. Still
    // hidden, so nothing shows until it sits inside the parent.
    SetWindowLongA(window, GWL_STYLE, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    fullScreen = false;
    // Both fail when the parent (another program's window) is gone by now.
    RECT parentArea = {};
    if (SetParent(window, parent) == nullptr || !GetWindowRect(parent, &parentArea)) {
        return false;
    }
    const int parentWidth = parentArea.right - parentArea.left;
    const int parentHeight = parentArea.bottom - parentArea.top;
    (void)SetWindowPos(window, HWND_TOP, 0, 0, parentWidth, parentHeight, SWP_NOREDRAW);
    Resize(parentWidth, parentHeight);
    // Not activated: the parent's window keeps the focus.
    ShowWindow(window, SW_SHOWNA);
    ShowBlackFrame();
    return true;
}

void GLWindow::Resize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    // Before the context exists there is nothing to set; a zero height (the
    // hidden start-up window) would make the aspect ratio infinite. A later
    // size message or the scene's set-up gives the real projection.
    if (renderingContext == nullptr || height == 0) {
        return;
    }
    SetViewportAndCamera(0, 0, width, height, resizeNearPlane);
    glLoadIdentity();
}
