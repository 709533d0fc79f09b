#include "app/win32_startup.h"

#include <mmsystem.h>

#include <cstdint>
#include <vector>

#include "app/command_line.h"
#include "app/main_loop.h"
#ifdef VITRANE_FRAME_RECORDER
#include "app/win32_frame_recorder.h"
#endif
#include "app/win32_main_window.h"
#include "picture/win32_desktop_capture.h"
#include "render/input_watch.h"
#include "render/win32_input_source.h"
#include "render/win32_monitor_view.h"
#include "render/win32_monitors.h"
#include "res/resource.h"
#include "settings/dialog_choices.h"
#include "settings/settings_file.h"
#include "settings/win32_folder_pick.h"
#include "settings/win32_settings_dialog.h"
#include "settings/win32_settings_store.h"
#include "water/win32_water_surface.h"

Scene scene;
HINSTANCE instance = nullptr;
HWND mainWindow = nullptr;
std::string programDirectory;
uint32_t lastFrameTime = 0;

static char windowTitle[256];
static char className[256];

std::string ModuleFilePath(HMODULE module)
{
    // GetModuleFileNameA truncates silently and returns the buffer's size when
    // the path does not fit: grow until it does.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < path.size()) {
            return std::string(path.data(), length);
        }
        path.resize(path.size() * 2);
    }
}

namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// The real message queue, clock and scene behind the main loop.
//
// The wait must end on the millisecond, or the 16 ms pacing stretches to
// 31 ms with the default tick of about 15.6 ms. A high-resolution waitable
// timer (Windows 10 1803 on) does that for this one wait; timeBeginPeriod(1)
// instead would make the whole machine tick a thousand times a second for as
// long as the saver runs, so it is only the fallback where that timer is
// missing, held by this object while the loop runs. The clock is the
// performance counter, exact whichever of the two serves.
class Win32LoopHost : public MainLoopHost {
public:
    Win32LoopHost()
        : frameTimer(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                            TIMER_ALL_ACCESS))
    {
        if (frameTimer == nullptr) {
            raisedTimerResolution = timeBeginPeriod(1) == TIMERR_NOERROR;
        }
        LARGE_INTEGER frequency;
        (void)QueryPerformanceFrequency(&frequency);
        counterFrequency = frequency.QuadPart;
    }
    ~Win32LoopHost()
    {
        if (frameTimer != nullptr) {
            (void)CloseHandle(frameTimer);
        }
        if (raisedTimerResolution) {
            (void)timeEndPeriod(1);
        }
    }
    Win32LoopHost(const Win32LoopHost&) = delete;
    Win32LoopHost& operator=(const Win32LoopHost&) = delete;

    MessagePass PumpOneMessage(int& exitCode) override
    {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            return MessagePass::QueueEmpty;
        }
        if (message.message == WM_QUIT) {
            exitCode = static_cast<int>(message.wParam);
            return MessagePass::Quit;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
        return IsTouch(message) ? MessagePass::Touched : MessagePass::Dispatched;
    }

    // Wraps past 2^32 like a tick count, which the loop's pacing expects.
    uint32_t Milliseconds() override
    {
        LARGE_INTEGER counter;
        (void)QueryPerformanceCounter(&counter);
        const LONGLONG seconds = counter.QuadPart / counterFrequency;
        const LONGLONG rest = counter.QuadPart % counterFrequency;
        return static_cast<uint32_t>(seconds * 1000 + rest * 1000 / counterFrequency);
    }

    // MWMO_INPUTAVAILABLE: input already in the queue, seen or not, ends the
    // wait at once, so a key pressed during a frame is not left waiting.
    void WaitForMessageOrTimeout(uint32_t milliseconds) override
    {
        if (frameTimer != nullptr) {
            LARGE_INTEGER dueTime;
            dueTime.QuadPart = -10000LL * milliseconds;  // relative, in 100 ns units
            if (SetWaitableTimer(frameTimer, &dueTime, 0, nullptr, nullptr, FALSE)) {
                (void)MsgWaitForMultipleObjectsEx(1, &frameTimer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                return;
            }
        }
        (void)MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    void DrawFrame() override
    {
#ifdef VITRANE_FRAME_RECORDER
        RecordFrameStart();
        scene.Frame();
        RecordFrameShown();
#else
        scene.Frame();
#endif
    }
    bool OutputIsFullScreen() override { return scene.output.IsFullScreen(); }
    void RequestQuit() override { PostQuitMessage(0); }

private:
    HANDLE frameTimer;
    bool raisedTimerResolution = false;
    LONGLONG counterFrequency = 1;
};

}  // namespace

static bool CreateMainWindow()
{
    mainWindow = CreateWindowExA(0, className, windowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 1, 1, nullptr, nullptr, instance, nullptr);
    return mainWindow != nullptr;
}

// The window a handle from the command line names; none for 0 or for a
// handle that names no window (any more).
static HWND ExistingWindow(int32_t handleValue)
{
    HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(handleValue));
    return handleValue != 0 && IsWindow(window) ? window : nullptr;
}

// Sets up the mode's output. False when the program has nothing to do and
// ends at once.
static bool StartMode(const std::string& commandLine)
{
    const StartRequest request = ParseCommandLine(commandLine);
    switch (request.mode) {
    case Mode::Preview: {
        // No number, 0, or a handle that names no window: nothing to draw
        // into, and nothing would ever end the hidden program. The parent may
        // also go at any moment later (the display settings close a preview
        // whenever the selection changes): attaching then fails, and once
        // attached the watch ends the program.
        HWND parent = ExistingWindow(request.window);
        if (parent == nullptr) {
            return false;
        }
        ShowWindow(mainWindow, SW_HIDE);
        (void)scene.output.Setup(mainWindow, false);
        scene.InitGL();
        if (!scene.output.AttachToParent(parent)) {
            return false;
        }
        WatchPreviewParent(parent);
        return true;
    }
    case Mode::Password:
        // The system handles passwords itself; left running, this mode would
        // stay invisible with nothing to end it.
        return false;
    case Mode::FullScreen:
        (void)scene.output.Setup(mainWindow, true);
        scene.InitGL();
        return true;
    case Mode::Settings: {
        ShowWindow(mainWindow, SW_HIDE);
        // Owned by the window that asked for it (the system's screen-saver
        // page), the dialog is modal to that window.
        HWND owner = ExistingWindow(request.window);
        (void)DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner != nullptr ? owner : mainWindow,
                              SettingsDlgProc, 0);
        PostQuitMessage(0);
        return true;
    }
    case Mode::Invalid:
        MessageBoxA(mainWindow, commandLine.c_str(), "Wrong parameter!", MB_OK);
        PostQuitMessage(0);
        return true;
    }
    return false;
}

// The picture file this start shows; "" for the desktop snapshot or, with the
// custom picture on, the built-in picture. A folder of pictures gives a new
// pick each full-screen start, remembered so that the next one differs.
static std::string ChosenPicturePath(bool rememberFolderPick)
{
    switch (ChosenPictureSource(useCustomPicture == 1, customPicturePath, pictureFolder)) {
    case PictureSource::Desktop:
    case PictureSource::BuiltIn:
        return std::string();
    case PictureSource::File:
        return customPicturePath;
    case PictureSource::Folder:
        break;
    }
    const std::string picked = ChooseFolderPicture(pictureFolder, lastFolderPicture);
    if (rememberFolderPick && !picked.empty()) {
        // Where nothing can be written, the next start may pick this picture
        // again; that is no reason to show none now.
        std::string failedPath;
        (void)SaveSettings({{lastFolderPictureKey, picked}}, failedPath);
    }
    return picked;
}

// One water surface, showing the monitor's piece of the desktop snapshot, or
// the chosen picture; `sharedTexture`, when not 0, is a picture another
// surface already holds. Owned by the process, since the scene only points to
// it, and alive until the program ends.
static WaterSurface* BuildWaterSurface(HBITMAP desktopPiece, GLuint sharedTexture, const std::string& picturePath)
{
    WaterSurface* surface = new WaterSurface();
    surface->Init(20, 30, waveStyle);
    surface->speedPercent = speedPercent;
    if (sharedTexture != 0) {
        surface->texture = sharedTexture;
        return surface;
    }
    const bool usePictureFile = !picturePath.empty();
    surface->SetTexture(usePictureFile ? picturePath.c_str() : nullptr,
                        usePictureFile ? nullptr : desktopPiece);
    return surface;
}

// Full screen: one surface per monitor, each in its own viewport, all driven
// by the scene's one frame counter. Otherwise one surface over the whole
// output, showing the primary monitor's piece.
static void AddWaterSurfaces(const std::vector<MonitorPart>& monitors, const std::vector<HBITMAP>& desktopPieces,
                             const std::string& picturePath)
{
    if (!scene.output.IsFullScreen()) {
        scene.Add(BuildWaterSurface(desktopPieces.front(), 0, picturePath));
        return;
    }
    // A picture file or the built-in picture is the same on every monitor:
    // decoded once, its texture shared.
    const bool samePictureEverywhere = useCustomPicture == 1;
    GLuint sharedTexture = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        WaterSurface* surface = BuildWaterSurface(desktopPieces[i], sharedTexture, picturePath);
        if (samePictureEverywhere) {
            sharedTexture = surface->texture;
        }
        scene.Add(new MonitorView(*surface, monitors[i].viewport));
    }
}

// Each monitor's piece of the desktop as the user left it; none where the
// capture failed or a picture is chosen.
static std::vector<HBITMAP> CaptureDesktopPieces(const std::vector<MonitorPart>& monitors)
{
    std::vector<HBITMAP> pieces(monitors.size(), nullptr);
    if (useCustomPicture == 0) {
        for (size_t i = 0; i < monitors.size(); ++i) {
            pieces[i] = CaptureScreenArea(monitors[i].piece, monitors[i].snapshotSize);
        }
    }
    return pieces;
}

int RunVitrane(HINSTANCE programInstance, const char* commandLineText)
{
    (void)LoadStringA(programInstance, IDS_WINDOW_TITLE, windowTitle, 255);
    (void)LoadStringA(programInstance, IDS_WINDOW_CLASS, className, 255);
    RegisterMainWindowClass(programInstance, className);
    instance = programInstance;
    if (!CreateMainWindow()) {
        return 0;
    }

    programDirectory = ProgramDirectoryOf(ModuleFilePath(nullptr));
    LoadSettings(programDirectory);

    // Before anything of ours is shown, so the snapshot holds the desktop as
    // the user left it. The primary monitor comes first: the preview shows
    // its piece.
    const std::vector<MonitorPart> monitors = LayOutMonitors(VirtualScreen(), DisplayMonitors());
    const std::vector<HBITMAP> desktopPieces = CaptureDesktopPieces(monitors);

    const std::string commandLine = commandLineText != nullptr ? commandLineText : "";
    const bool keepRunning = StartMode(commandLine);
    if (keepRunning) {
        AddWaterSurfaces(monitors, desktopPieces, ChosenPicturePath(scene.output.IsFullScreen()));
    }
    // The textures, if any, hold their own copies of the pixels.
    for (HBITMAP piece : desktopPieces) {
        if (piece != nullptr) {
            (void)DeleteObject(piece);
        }
    }
    if (!keepRunning) {
        return 0;
    }

    Win32InputSource inputSource;
    InputWatch watch(inputSource);

    Win32LoopHost host;
    const int exitCode = RunMainLoop(host, watch, lastFrameTime);
#ifdef VITRANE_FRAME_RECORDER
    WriteFrameRecord(programDirectory + "Vitrane-frames.txt");
#endif
    return exitCode;
}
