#include "app/win32_startup.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "app/command_line.h"
#include "app/frame_pacing.h"
#include "app/main_loop.h"
#ifdef VITRANE_FRAME_RECORDER
#include "app/win32_frame_recorder.h"
#endif
#include "app/win32_loop_host.h"
#include "app/win32_main_window.h"
#include "picture/win32_monitor_size.h"
#include "render/input_watch.h"
#include "render/win32_input_source.h"
#include "render/win32_monitors.h"
#include "res/resource.h"
#include "settings/dialog_choices.h"
#include "settings/settings_file.h"
#include "settings/win32_settings_dialog.h"
#include "settings/win32_settings_store.h"
#include "stage/win32_look.h"
#include "stage/win32_stage.h"
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

// The choice of the saver or of Windows' preview, from the settings; only
// the full-screen saver fills the picture cache (StoresCacheCopies).
static StageChoice ChosenStage(PictureSource source, Mode mode)
{
    StageChoice choice;
    choice.source = source;
    choice.file = customPicturePath;
    choice.folder = pictureFolder;
    choice.includeSubfolders = includeSubfolders;
    choice.slideSeconds = static_cast<uint32_t>(slideSeconds);
    choice.monitorPictures = monitorPictures;
    choice.cacheMegabytes = cacheMegabytes;
    choice.lastFolderPicture = lastFolderPicture;
    choice.fillsCache = StoresCacheCopies(mode);
    choice.waveStyle = waveStyle;
    choice.speedPercent = speedPercent;
    choice.look = look;
    choice.clockShown = clockShown;
    choice.captionsShown = captionsShown;
    choice.mainMonitorOnly = mainMonitorOnly;
    return choice;
}

PixelSize PictureDecodeSize(const GLWindow& output)
{
    return output.IsFullScreen() ? LargestMonitorSize() : PixelSize{output.width, output.height};
}

// The picture the full-screen saver ended on, so that the next start begins
// with another. Where nothing can be written, the next start may begin with
// it again; that is no reason to keep the saver up.
static DWORD WINAPI RememberLastPicture(LPVOID parameter)
{
    const std::unique_ptr<std::string> picture(static_cast<std::string*>(parameter));
    std::string failedPath;
    (void)SaveSettings({{lastFolderPictureKey, *picture}}, failedPath);
    return 0;
}

// How long the last picture's save may take, on a slow or network profile,
// before the process ends without it; a local disk takes milliseconds.
constexpr DWORD saveBoundMs = 1500;

// A save the process waits for before it ends, and the exit code it ends with.
struct Ending {
    HANDLE save;
    UINT exitCode;
};

// Ends the process, whatever its threads are doing (a decode cannot be
// interrupted; a listing may wait on a lost share), once the save has ended
// or its bound has passed. Terminating leaves no DLL waiting at exit for a
// lock an abandoned thread holds.
static DWORD WINAPI EndAfterSave(LPVOID parameter)
{
    const Ending ending = *static_cast<const Ending*>(parameter);
    (void)WaitForSingleObject(ending.save, saveBoundMs);
    (void)TerminateProcess(GetCurrentProcess(), ending.exitCode);
    return 0;
}

// Gives the screen back at once and ends the program. The window goes with
// the thread that made it, this one, or with the process: hiding or
// destroying it instead waits for a window manager's answer under Wine, two
// seconds where there is none. The last picture, if any, is saved meanwhile
// by a thread of its own, so that a slow disk never holds the screen.
[[noreturn]] static void EndProgram(const std::string& lastPicture, int exitCode)
{
    static Ending ending;  // read by the ending thread after this one is gone
    ending.exitCode = static_cast<UINT>(exitCode);
    if (!lastPicture.empty()) {
        auto picture = std::make_unique<std::string>(lastPicture);
        ending.save = CreateThread(nullptr, 0, RememberLastPicture, picture.get(), 0, nullptr);
        if (ending.save != nullptr) {
            (void)picture.release();  // the thread's now
            if (CreateThread(nullptr, 0, EndAfterSave, &ending, 0, nullptr) != nullptr) {
                ExitThread(ending.exitCode);
            }
            (void)WaitForSingleObject(ending.save, saveBoundMs);
        }
    }
    (void)TerminateProcess(GetCurrentProcess(), ending.exitCode);
    ExitProcess(static_cast<UINT>(exitCode));  // never reached
}

// What the output shows; null in the modes that show nothing.
static Stage* shownStage = nullptr;
// How the loop paces the frames; null outside it.
static FramePacing* framePacing = nullptr;

static void FollowTimeChange()
{
    if (shownStage != nullptr) {
        shownStage->FormatsChanged();
    }
}

// Full screen: lays the monitors out again after they changed, so that the
// output covers them all, each with its own view, as at start.
static void FollowDisplayChange()
{
    if (shownStage == nullptr || !scene.output.IsFullScreen()) {
        return;
    }
    // The monitors that joined are captured while the desktop still shows
    // on them, before the output stretches over them.
    const std::vector<DisplayMonitor> monitors = DisplayMonitors();
    shownStage->CaptureJoining(monitors);
    const ScreenRect covered = scene.output.CoverVirtualScreen();
    shownStage->LayOut(monitors, covered);
    // The primary display's rate may have changed with the rest.
    if (framePacing != nullptr) {
        *framePacing = FramePacing(PaceSwapsByTheDisplay(scene.output.deviceContext));
    }
}

// The size a preview's output takes: its parent's (GLWindow::AttachToParent).
static PixelSize WindowSize(HWND window)
{
    RECT area = {};
    (void)GetWindowRect(window, &area);
    return {area.right - area.left, area.bottom - area.top};
}

// How long a preview waits for its first picture before it starts OpenGL:
// longer than a large photo's decode, short enough that a folder on a share
// that does not answer leaves the preview box empty for a moment only.
constexpr DWORD previewPictureWaitMs = 2000;

// Sets up the mode's output and what it shows. False when the program has
// nothing to do and ends at once.
static bool StartMode(const StartRequest& request, const std::string& commandLine, PictureSource source,
                      std::unique_ptr<Stage>& stage)
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
        const StageChoice choice = ChosenStage(source, request.mode);
        stage = std::make_unique<Stage>(choice);
        stage->CaptureJoining(primary);
        // The picture is decoded before OpenGL starts, a while at most: a
        // decoder may hold the whole photo (Wine's JPEG decoder does, 69 MiB
        // for 24 megapixels), and the renderer's libraries and buffers take
        // as much. One after the other, the peak is the larger of the two
        // instead of their sum.
        stage->StartAhead(WindowSize(parent), primary.front().area);
        (void)stage->AwaitFirstPictures(previewPictureWaitMs);
        ShowWindow(mainWindow, SW_HIDE);
        scene.output.depthBuffer = choice.look != realisticLookChoice;
        if (!scene.output.Setup(mainWindow, false)) {
            return false;
        }
        scene.InitGL();
        if (!scene.output.AttachToParent(parent)) {
            return false;
        }
        stage->LayOut(primary, primary.front().area, true);
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
        const StageChoice choice = ChosenStage(source, request.mode);
        stage = std::make_unique<Stage>(choice);
        stage->CaptureJoining(all);
        scene.output.depthBuffer = choice.look != realisticLookChoice;
        // Where OpenGL cannot start, a window left up would stay blank.
        if (!scene.output.Setup(mainWindow, true)) {
            return false;
        }
        scene.InitGL();
        stage->LayOut(all, VirtualScreen());
        stage->Start(PictureDecodeSize(scene.output));
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
        (void)MessageBoxW(mainWindow, WideFromUtf8(commandLine).c_str(), L"Wrong parameter!", MB_OK);
        PostQuitMessage(0);
        return true;
    }
    return false;
}

int RunVitrane(HINSTANCE programInstance, const char* commandLineText)
{
    (void)LoadStringA(programInstance, IDS_WINDOW_TITLE, windowTitle, 255);
    (void)LoadStringA(programInstance, IDS_WINDOW_CLASS, className, 255);
    MainWindowLinks links;
    links.output = &scene.output;
    links.followDisplayChange = FollowDisplayChange;
    links.followTimeChange = FollowTimeChange;
    RegisterMainWindowClass(programInstance, className, links);
    instance = programInstance;
    if (!CreateMainWindow()) {
        return 0;
    }

    programDirectory = ProgramDirectoryOf(ModuleFilePath(nullptr));
    LoadSettings(programDirectory);

    const std::string commandLine = commandLineText != nullptr ? commandLineText : "";
    const PictureSource source = ChosenPictureSource(useCustomPicture == 1, customPicturePath, pictureFolder);
    std::unique_ptr<Stage> stage;
    if (!StartMode(ParseCommandLine(commandLine), commandLine, source, stage)) {
        return 0;
    }
    if (stage != nullptr) {
        scene.Add(stage.get());
        shownStage = stage.get();
    }

    Win32InputSource inputSource;
    InputWatch watch(inputSource);

    FramePacing pacing(PaceSwapsByTheDisplay(scene.output.deviceContext));
    framePacing = &pacing;
    const VisibilityNotifications notifications(mainWindow);
    Win32LoopHost host(scene);
    const int exitCode = RunMainLoop(host, watch, lastFrameTime, &pacing);
#ifdef VITRANE_FRAME_RECORDER
    RecordPictureChanges(stage != nullptr ? stage->Slides().ChangesStarted() : 0);
    RecordFirstPictureShown(stage != nullptr ? stage->Slides().FirstPictureShownAt() : 0);
    const Pacing paced = pacing.Current();
    WriteFrameRecord(programDirectory + "Vitrane-frames.txt",
                     paced == Pacing::Display ? "display" : paced == Pacing::Timer ? "timer" : "measuring");
#endif
    const bool remembersPicture = source == PictureSource::Folder && scene.output.IsFullScreen();
    EndProgram(remembersPicture && stage != nullptr ? stage->ShownPicture() : std::string(), exitCode);
}
