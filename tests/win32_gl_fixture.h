#pragma once

#include <windows.h>

// A hidden window with a current OpenGL rendering context, for tests that need
// real GL (texture uploads, feedback of drawn triangles). One per test.
class HiddenGLContext {
public:
    HiddenGLContext(int width = 64, int height = 64);
    ~HiddenGLContext();
    HiddenGLContext(const HiddenGLContext&) = delete;
    HiddenGLContext& operator=(const HiddenGLContext&) = delete;

    bool Ready() const { return renderingContext != nullptr; }
    HWND Window() const { return window; }
    HDC DeviceContext() const { return deviceContext; }

private:
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
};
