#include "app/win32_main_window.h"

#include "app/win32_startup.h"
#include "res/resource.h"

// A few checks a second: the preview ends soon after its parent without
// costing the frames anything.
static const UINT parentCheckIntervalMs = 250;
static HWND watchedParent = nullptr;

// A timer of the thread, not of the main window: it keeps running whatever
// becomes of that window, which the parent's destruction takes with it.
static void CALLBACK CheckPreviewParent(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (!IsWindow(watchedParent)) {
        (void)KillTimer(nullptr, timer);
        PostQuitMessage(0);
    }
}

void WatchPreviewParent(HWND parent)
{
    watchedParent = parent;
    (void)SetTimer(nullptr, 0, parentCheckIntervalMs, CheckPreviewParent);
}

void RegisterMainWindowClass(HINSTANCE programInstance, const char* className)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = programInstance;
    windowClass.hIcon = LoadIconA(programInstance, MAKEINTRESOURCEA(IDI_VITRANE));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // Black wherever the system paints the window itself; it never erases
    // it (WM_ERASEBKGND), so nothing but frames ever shows in it.
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    windowClass.hIconSm = LoadIconA(programInstance, MAKEINTRESOURCEA(IDI_VITRANE_SMALL));
    (void)RegisterClassExA(&windowClass);
}

// Set once the program has had the foreground. On a display with no window
// manager the first activation can come late; losing the foreground before it
// is nobody's doing and must not end the saver.
static bool hadForeground = false;

void ForgetForeground()
{
    hadForeground = false;
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        scene.output.Resize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DISPLAYCHANGE:
        FollowDisplayChange();
        return 0;
    case WM_DPICHANGED:
        // The rectangle the system suggests scales the window to the new DPI;
        // full screen, it must cover every monitor whatever the scaling.
        FollowDisplayChange();
        return 0;
    case WM_ACTIVATEAPP:
        // Another program came to the front: the saver gives way to it, as
        // the system's own screen saver does.
        if (wParam != FALSE) {
            hadForeground = true;
        } else if (hadForeground && scene.output.IsFullScreen()) {
            PostQuitMessage(0);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
