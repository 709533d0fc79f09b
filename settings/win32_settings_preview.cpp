#include "settings/win32_settings_preview.h"

#include <GL/gl.h>

#include <memory>
#include <vector>

#include "picture/picture_math.h"
#include "render/monitor_layout.h"
#include "render/win32_gl_window.h"
#include "render/win32_monitors.h"
#include "render/win32_scene.h"
#include "stage/win32_look.h"
#include "stage/win32_stage.h"

static bool SetSaverPixelFormat(HDC dc)
{
    return GLWindow().SetupPixelFormat(dc);
}

PreviewPixelFormatSetter previewPixelFormatSetter = SetSaverPixelFormat;

namespace {

const char previewClassName[] = "VitraneSettingsPreview";
const UINT_PTR frameTimer = 1;
const UINT frameIntervalMs = 16;
// As in the saver's preview mode, where the window's size sets the projection last.
const double nearPlane = 1.0;

// The preview's own scene drives its frames exactly as the saver's does, and
// shows a stage assembled as the saver's is.
struct Preview {
    HWND window = nullptr;
    HWND placeholder = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    std::unique_ptr<Stage> stage;  // with its textures, released while the context is current
    Scene scene;
};

Preview preview;

// The dialog's thread may have another context current (the tests' own):
// the preview's is current only while it draws.
class PreviewContextCurrent {
public:
    PreviewContextCurrent()
        : previousDeviceContext(wglGetCurrentDC()), previousContext(wglGetCurrentContext())
    {
        (void)wglMakeCurrent(preview.deviceContext, preview.renderingContext);
    }
    ~PreviewContextCurrent() { (void)wglMakeCurrent(previousDeviceContext, previousContext); }
    PreviewContextCurrent(const PreviewContextCurrent&) = delete;
    PreviewContextCurrent& operator=(const PreviewContextCurrent&) = delete;

private:
    HDC previousDeviceContext;
    HGLRC previousContext;
};

}  // namespace

static void SetViewport(int width, int height)
{
    if (height <= 0) {
        return;
    }
    PreviewContextCurrent current;
    SetViewportAndCamera(0, 0, width, height, nearPlane);
}

static void DrawFrame()
{
    PreviewContextCurrent current;
    preview.scene.Frame();
}

// The preview lies over the placeholder's inside, whose edge frames it. It
// follows the dialog when that moves, and the placeholder when the dialog
// scales its controls for another DPI.
static void CoverPlaceholder()
{
    RECT inside = {};
    (void)GetClientRect(preview.placeholder, &inside);
    (void)MapWindowPoints(preview.placeholder, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    RECT shown = {};
    (void)GetWindowRect(preview.window, &shown);
    if (!EqualRect(&inside, &shown)) {
        (void)SetWindowPos(preview.window, nullptr, inside.left, inside.top, inside.right - inside.left,
                           inside.bottom - inside.top, SWP_NOACTIVATE | SWP_NOZORDER);
    }
}

// Shown only after the dialog: a window manager, or Wine without one, stacks
// a window above those mapped before it, owner or not.
static void ShowOnceTheDialogShows()
{
    if (!IsWindowVisible(preview.window) && IsWindowVisible(GetWindow(preview.window, GW_OWNER))) {
        (void)ShowWindow(preview.window, SW_SHOWNA);
    }
}

// What the stage shows goes with the context its textures belong to.
static void ReleaseStage()
{
    PreviewContextCurrent current;
    preview.scene.renderables.clear();
    preview.stage.reset();
}

// The texture and the context go while the window, and so the device
// context they were made on, still exists.
static void ReleaseWindowResources()
{
    (void)KillTimer(preview.window, frameTimer);
    if (preview.renderingContext != nullptr) {
        ReleaseStage();
        (void)wglDeleteContext(preview.renderingContext);
    }
    if (preview.deviceContext != nullptr) {
        (void)ReleaseDC(preview.window, preview.deviceContext);
    }
    preview.window = nullptr;
    preview.deviceContext = nullptr;
    preview.scene.output.deviceContext = nullptr;
    preview.renderingContext = nullptr;
}

static LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (preview.renderingContext != nullptr) {
            CoverPlaceholder();
            ShowOnceTheDialogShows();
            DrawFrame();
        }
        return 0;
    case WM_MOUSEACTIVATE:
        // A click on the preview leaves the dialog active.
        return MA_NOACTIVATE;
    case WM_SIZE:
        if (preview.renderingContext != nullptr) {
            SetViewport(LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case WM_ERASEBKGND:
        // GL paints every pixel; an erase in between would flicker.
        return 1;
    case WM_DESTROY:
        ReleaseWindowResources();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static bool RegisterPreviewClass()
{
    WNDCLASSA windowClass = {};
    // A GL window keeps its own device context for the context's lifetime.
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = PreviewProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = previewClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

static bool MakeRenderingContext()
{
    preview.deviceContext = GetDC(preview.window);
    if (preview.deviceContext == nullptr || !previewPixelFormatSetter(preview.deviceContext)) {
        return false;
    }
    preview.renderingContext = wglCreateContext(preview.deviceContext);
    // The scene swaps the buffers of the device context its output holds.
    preview.scene.output.deviceContext = preview.deviceContext;
    return preview.renderingContext != nullptr;
}

// The preview is small: pictures are decoded at its size, not a monitor's.
static PixelSize PreviewSize()
{
    RECT inside = {};
    (void)GetClientRect(preview.placeholder, &inside);
    return {inside.right - inside.left, inside.bottom - inside.top};
}

// Before the dialog shows, so that the snapshot holds the desktop alone: the
// primary monitor's part, as the saver's own preview shows, kept for when
// the desktop is chosen. The first choice comes with ShowSettingsPreview.
static void InitGLStateAndStage()
{
    PreviewContextCurrent current;
    // The window has no size yet: the projection comes with its first WM_SIZE.
    preview.scene.InitGL();
    const std::vector<DisplayMonitor> primary{DisplayMonitors().front()};
    preview.stage = std::make_unique<Stage>(StageChoice(), true);
    preview.stage->CaptureJoining(primary);
    preview.stage->LayOut(primary, primary.front().area, true);
    preview.stage->Start(PreviewSize());
    preview.scene.Add(preview.stage.get());
}

bool StartSettingsPreview(HWND dialog, HWND placeholder)
{
    StopSettingsPreview();
    if (!RegisterPreviewClass()) {
        return false;
    }
    preview.placeholder = placeholder;
    // A borderless window owned by the dialog rather than a child of it: Wine
    // never brings a child window's OpenGL drawing onto a dialog's surface.
    preview.window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, previewClassName, "", WS_POPUP, 0, 0, 0,
                                     0, dialog, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (preview.window == nullptr) {
        return false;
    }
    if (!MakeRenderingContext()) {
        StopSettingsPreview();
        return false;
    }
    InitGLStateAndStage();
    CoverPlaceholder();
    (void)SetTimer(preview.window, frameTimer, frameIntervalMs, nullptr);
    return true;
}

void ShowSettingsPreview(const PreviewChoice& choice)
{
    if (preview.stage == nullptr) {
        return;
    }
    PreviewContextCurrent current;
    // New surfaces start from the still water, as a start of the saver would.
    if (preview.stage->Choose(choice)) {
        preview.scene.RestartTime();
    }
}

std::string SettingsPreviewPicturePath()
{
    return preview.stage != nullptr ? preview.stage->ShownPicture() : std::string();
}

bool SettingsPreviewRunsRealisticLook()
{
    if (preview.renderingContext == nullptr) {
        return false;
    }
    PreviewContextCurrent current;
    return RealisticLookRuns();
}

void StopSettingsPreview()
{
    // The window's WM_DESTROY releases what hangs on it. The dialog destroys
    // the window itself before its own WM_DESTROY, as an owner does.
    if (preview.window != nullptr) {
        (void)DestroyWindow(preview.window);
    }
    preview.placeholder = nullptr;
    preview.scene.RestartTime();
}
