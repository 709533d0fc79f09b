#include "settings/win32_settings_preview.h"

#include <GL/gl.h>

#include "picture/picture_math.h"
#include "picture/win32_desktop_capture.h"
#include "library/win32_slideshow.h"
#include "render/monitor_layout.h"
#include "render/win32_gl_window.h"
#include "render/win32_monitors.h"
#include "render/win32_scene.h"
#include "water/win32_water_surface.h"

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

// The preview's own scene drives its frames exactly as the saver's does, the
// slideshow's feed first.
struct Preview {
    Preview() : feed(slideshow)
    {
        scene.Add(&feed);
        scene.Add(&surface);
    }

    HWND window = nullptr;
    HWND placeholder = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    HBITMAP desktop = nullptr;
    WaterSurface surface;
    Slideshow slideshow;
    SlideshowFeed feed;
    Scene scene;
    std::string shownPicture;  // which pictures the surface shows; "" before the first
    int32_t shownWaveStyle = -1;
    int32_t shownSpeedPercent = -1;
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

// Picture files come from a slideshow, which owns their textures.
static bool ShowsSlides(const std::string& pictureKey)
{
    return pictureKey.compare(0, 7, "slides:") == 0;
}

// The surface's texture is the slideshow's while it runs, else the preview's
// own. Needs the preview's context current.
static void ReleasePictures()
{
    preview.slideshow.Stop();
    preview.feed.Clear();
    if (preview.surface.texture != 0 && !ShowsSlides(preview.shownPicture)) {
        glDeleteTextures(1, &preview.surface.texture);
    }
    preview.surface.texture = 0;
    preview.surface.incomingTexture = 0;
}

// The texture and the context go while the window, and so the device
// context they were made on, still exists.
static void ReleaseWindowResources()
{
    (void)KillTimer(preview.window, frameTimer);
    if (preview.renderingContext != nullptr) {
        {
            PreviewContextCurrent current;
            ReleasePictures();
        }
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

static void InitGLState()
{
    PreviewContextCurrent current;
    // The window has no size yet: the projection comes with its first WM_SIZE.
    preview.scene.InitGL();
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
    InitGLState();
    preview.surface.Init(20, 30, 0);
    // Before the dialog shows, so that the snapshot holds the desktop alone;
    // the primary monitor's part, as the saver's own preview shows.
    const MonitorPart primary = LayOutMonitors(VirtualScreen(), MonitorAreas(DisplayMonitors())).front();
    preview.desktop = CaptureScreenArea(primary.piece, SnapshotSize(primary.piece.Width(), primary.piece.Height()));
    CoverPlaceholder();
    (void)SetTimer(preview.window, frameTimer, frameIntervalMs, nullptr);
    return true;
}

// The preview is small: pictures are decoded at its size, not a monitor's.
static PixelSize PreviewSize()
{
    RECT inside = {};
    (void)GetClientRect(preview.placeholder, &inside);
    return {inside.right - inside.left, inside.bottom - inside.top};
}

// What the surface shows, as one text: a change of it loads the pictures again.
static std::string PictureKey(const PreviewChoice& choice)
{
    if (choice.desktop) {
        return "desktop";
    }
    const SlideshowChoice& slides = choice.slides;
    if (!slides.folder.empty()) {
        return "slides:" + std::to_string(slides.includeSubfolders) + ":" + std::to_string(slides.slideSeconds) +
               ":" + slides.folder;
    }
    return slides.file.empty() ? "built-in" : "slides:" + slides.file;
}

static void LoadPictures(const PreviewChoice& choice, const std::string& key)
{
    PreviewContextCurrent current;
    ReleasePictures();
    preview.shownPicture = key;
    if (!ShowsSlides(key)) {
        preview.surface.SetTexture(nullptr, choice.desktop ? preview.desktop : nullptr);
        return;
    }
    preview.slideshow.Start(choice.slides, PreviewSize());
    preview.feed.Add(&preview.surface, 0);
}

void ShowSettingsPreview(const PreviewChoice& choice)
{
    if (preview.renderingContext == nullptr) {
        return;
    }
    const std::string key = PictureKey(choice);
    if (key != preview.shownPicture) {
        LoadPictures(choice, key);
    }
    // Init starts the new style from the flat sheet, as a start of the saver
    // would; the texture is the surface's and stays.
    if (choice.waveStyle != preview.shownWaveStyle || choice.speedPercent != preview.shownSpeedPercent) {
        preview.surface.Init(20, 30, choice.waveStyle);
        preview.surface.speedPercent = choice.speedPercent;
        preview.shownWaveStyle = choice.waveStyle;
        preview.shownSpeedPercent = choice.speedPercent;
        preview.scene.RestartTime();
    }
}

std::string SettingsPreviewPicturePath()
{
    return preview.slideshow.ShownPicture();
}

void StopSettingsPreview()
{
    // The window's WM_DESTROY releases what hangs on it. The dialog destroys
    // the window itself before its own WM_DESTROY, as an owner does.
    if (preview.window != nullptr) {
        (void)DestroyWindow(preview.window);
    }
    if (preview.desktop != nullptr) {
        (void)DeleteObject(preview.desktop);
        preview.desktop = nullptr;
    }
    // Choices changed while the dialog was open stopped their threads
    // without waiting; they end here.
    preview.slideshow.JoinThreads();
    preview.placeholder = nullptr;
    preview.shownPicture.clear();
    preview.shownWaveStyle = -1;
    preview.shownSpeedPercent = -1;
    preview.scene.RestartTime();
}
