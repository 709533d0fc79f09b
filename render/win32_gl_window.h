#pragma once

#include <windows.h>

#include "render/monitor_layout.h"

// The program's main window as an OpenGL output: full screen (topmost, over
// every monitor, with the cursor hidden), or a child filling the preview
// window. It keeps the output size and sets viewport, projection and camera
// whenever the size changes. Nothing here releases the context or the device
// context, or shows the cursor again: they belong to the process until it
// ends.
class GLWindow {
public:
    void Clear();

    // True when the rendering context exists and is current; false where
    // OpenGL cannot start. A full-screen output is then shown at once, in
    // black, a windowed one only by AttachToParent.
    bool Setup(HWND outputWindow, bool fullScreenOutput);
    bool SetupPixelFormat(HDC dc);
    // Makes the output a visible child filling the parent. False when the
    // parent is gone.
    bool AttachToParent(HWND parent);
    // Full screen: covers the virtual screen as it is now, after the
    // monitors changed, records the new size and returns what it covers.
    ScreenRect CoverVirtualScreen();
    // Records the size; the GL state is only touched once a context exists.
    void Resize(int newWidth, int newHeight);
    bool IsFullScreen() const { return fullScreen; }

    // Whether Setup asks for a depth buffer. The classic look's grid needs
    // one; the realistic look draws flat, and a software renderer runs its
    // faster paths only into a framebuffer without depth.
    bool depthBuffer = true;

    // Where Setup gets its context; tests make it fail.
    HGLRC(WINAPI* createContext)(HDC) = wglCreateContext;

    HGLRC renderingContext = nullptr;
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    bool fullScreen = false;
    int width = 0;   // pixels
    int height = 0;  // pixels

private:
    bool StartOpenGL();
    void ShowBlackFrame();
};

// An OpenGL or WGL entry point beyond what opengl32.dll exports, typed;
// null where the driver has none. Needs a current context. The detour
// through void* tells the compiler the function type changes on purpose.
template <class Function>
Function GLFunction(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

// The fixed camera: 45 degrees vertical field of view, looking from (4, 8, 9)
// at (4, 3, 2) with z up, multiplied onto the projection matrix.
void SetProjectionAndCamera(double aspect, double nearPlane);

// A width over a height, as a single-precision quotient widened to double.
double AspectRatio(int width, int height);

// Draws into the rectangle (x, y counted from the window's bottom-left
// corner) with the fixed camera at that rectangle's aspect ratio, and leaves
// the model-view matrix current. The height must not be 0.
void SetViewportAndCamera(int x, int y, int width, int height, double nearPlane);

// The near plane of the scene's set-up, 0.1 as a float widened to double
// (0.10000000149011612); Resize uses 1.0. The surface lies far beyond both.
constexpr double sceneNearPlane = static_cast<double>(0.1f);
