#include "app/win32_startup.h"

#include <mmsystem.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/command_line.h"
#include "app/main_loop.h"
#ifdef VITRANE_FRAME_RECORDER
#include "app/win32_frame_recorder.h"
#endif
#include "app/win32_main_window.h"
#include "app/win32_monitor_set.h"
#include "picture/win32_picture_textures.h"
#include "render/input_watch.h"
#include "render/win32_input_source.h"
#include "render/win32_monitors.h"
#include "res/resource.h"
#include "settings/dialog_choices.h"
#include "settings/settings_file.h"
#include "settings/win32_folder_pick.h"
#include "settings/win32_settings_dialog.h"
#include "settings/win32_settings_store.h"
#include "text/win32_wide.h"

Scene scene;
HINSTANCE instance = nullptr;
HWND mainWindow = nullptr;
std::string programDirectory;
uint32_t lastFrameTime = 0;

static char windowTitle[256];
static char className[256];

std::string ModuleFilePath(HMODULE module)
{
    // GetModuleFileNameW truncates silently and returns the buffer's size when
    // the path does not fit: grow until it does.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < path.size()) {
            return Utf8FromWide(std::wstring_view(path.data(), length));
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

// The picture file this start shows; "" for the desktop snapshot or, with the
// custom picture on, the built-in picture. A folder of pictures gives a new
// pick each full-screen start, remembered so that the next one differs.
static std::string ChosenPicturePath(PictureSource source, bool rememberFolderPick)
{
    switch (source) {
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

// What the monitors show: each its own piece of the desktop, or all of them
// the one chosen picture, decoded once on the first monitor that needs it.
static std::unique_ptr<MonitorSet> ChosenMonitorSet(bool fullScreen)
{
    const PictureSource source = ChosenPictureSource(useCustomPicture == 1, customPicturePath, pictureFolder);
    if (source == PictureSource::Desktop) {
        return std::make_unique<MonitorSet>(waveStyle, speedPercent, true, [](const MonitorPart&, HBITMAP piece) {
            return std::make_shared<PictureTexture>(LoadPictureTexture(nullptr, piece));
        });
    }
    const std::string path = ChosenPicturePath(source, fullScreen);
    SharedPicture sharedPicture;
    return std::make_unique<MonitorSet>(
        waveStyle, speedPercent, false, [path, sharedPicture](const MonitorPart&, HBITMAP) mutable {
            if (!sharedPicture) {
                sharedPicture =
                    std::make_shared<PictureTexture>(LoadPictureTexture(path.empty() ? nullptr : path.c_str(), nullptr));
            }
            return sharedPicture;
        });
}

// The monitors the output shows; null in the modes that show none.
static MonitorSet* shownMonitors = nullptr;

void FollowDisplayChange()
{
    if (shownMonitors == nullptr || !scene.output.IsFullScreen()) {
        return;
    }
    // The monitors that joined are captured while the desktop still shows
    // on them, before the output stretches over them.
    const std::vector<DisplayMonitor> monitors = DisplayMonitors();
    shownMonitors->CaptureJoining(monitors);
    const ScreenRect covered = scene.output.CoverVirtualScreen();
    shownMonitors->LayOut(monitors, covered);
}

// Sets up the mode's output and what it shows. False when the program has
// nothing to do and ends at once.
static bool StartMode(const StartRequest& request, const std::string& commandLine,
                      std::unique_ptr<MonitorSet>& monitors)
{
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
        // The preview shows the primary monitor's piece only.
        const std::vector<DisplayMonitor> primary{DisplayMonitors().front()};
        monitors = ChosenMonitorSet(false);
        monitors->CaptureJoining(primary);
        ShowWindow(mainWindow, SW_HIDE);
        if (!scene.output.Setup(mainWindow, false)) {
            return false;
        }
        scene.InitGL();
        if (!scene.output.AttachToParent(parent)) {
            return false;
        }
        monitors->LayOut(primary, primary.front().area, true);
        WatchPreviewParent(parent);
        return true;
    }
    case Mode::Password:
        // The system handles passwords itself; left running, this mode would
        // stay invisible with nothing to end it.
        return false;
    case Mode::FullScreen: {
        // Captured before anything of ours is shown, so that each monitor
        // holds the desktop as the user left it.
        const std::vector<DisplayMonitor> all = DisplayMonitors();
        monitors = ChosenMonitorSet(true);
        monitors->CaptureJoining(all);
        // Where OpenGL cannot start, a window left up would stay blank.
        if (!scene.output.Setup(mainWindow, true)) {
            return false;
        }
        scene.InitGL();
        monitors->LayOut(all, VirtualScreen());
        return true;
    }
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

    const std::string commandLine = commandLineText != nullptr ? commandLineText : "";
    std::unique_ptr<MonitorSet> monitors;
    if (!StartMode(ParseCommandLine(commandLine), commandLine, monitors)) {
        return 0;
    }
    if (monitors != nullptr) {
        scene.Add(monitors.get());
        shownMonitors = monitors.get();
    }

    Win32InputSource inputSource;
    InputWatch watch(inputSource);

    Win32LoopHost host;
    const int exitCode = RunMainLoop(host, watch, lastFrameTime);
#ifdef VITRANE_FRAME_RECORDER
    WriteFrameRecord(programDirectory + "Vitrane-frames.txt");
#endif
    // The monitors' textures go while the rendering context still exists.
    shownMonitors = nullptr;
    scene.renderables.clear();
    return exitCode;
}
