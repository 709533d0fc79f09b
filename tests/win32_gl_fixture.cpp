#include "win32_gl_fixture.h"

static const char* const kFixtureClass = "VitraneTestGLWindow";

static void RegisterFixtureClass()
{
    static bool registered = false;
    if (registered) {
        return;
    }
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kFixtureClass;
    registered = RegisterClassExA(&windowClass) != 0;
}

HiddenGLContext::HiddenGLContext(int width, int height)
{
    RegisterFixtureClass();
    window = CreateWindowExA(0, kFixtureClass, "test", WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        return;
    }
    deviceContext = GetDC(window);
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 16;
    const int chosen = ChoosePixelFormat(deviceContext, &format);
    if (chosen == 0 || !SetPixelFormat(deviceContext, chosen, &format)) {
        return;
    }
    renderingContext = wglCreateContext(deviceContext);
    if (renderingContext != nullptr && !wglMakeCurrent(deviceContext, renderingContext)) {
        wglDeleteContext(renderingContext);
        renderingContext = nullptr;
    }
}

HiddenGLContext::~HiddenGLContext()
{
    if (renderingContext != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(renderingContext);
    }
    if (deviceContext != nullptr) {
        ReleaseDC(window, deviceContext);
    }
    if (window != nullptr) {
        DestroyWindow(window);
    }
}
