// preview_host: plays the part of the display settings' preview box for the
// end-to-end scripts. It shows a plain top-level window, starts the saver with
// "/p <window handle>" so that the saver draws inside it, keeps the window's
// messages flowing, and destroys the window when told to; then it waits for
// the saver to end and returns the saver's exit code.
//
//   preview_host X Y WIDTH HEIGHT SAVER [--close-after SECONDS] [--close-when FILE]
//                [--exit-timeout SECONDS] [--switch TEXT]
//
// --close-after: destroy the window that many seconds after the saver starts
//   (default 5). --close-when: destroy it as soon as FILE exists, instead.
// --exit-timeout: how long to wait for the saver after that (default 5).
// --switch: the text before the handle on the saver's command line ("/p ").
//
// Progress goes to stdout, one flushed line each: "parent HWND", "started PID",
// "attached" (the window got its first child), "parent destroyed", and at the
// end "saver exit code N". Exit code: the saver's, or one of the codes below.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int exitUsage = 2;
constexpr int exitEndedEarly = 3;    // the saver ended while its parent still existed
constexpr int exitStartFailed = 4;   // no window, or the saver did not start
constexpr int exitTimedOut = 124;    // the saver outlived its parent by the timeout

struct Options {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string saver;
    DWORD closeAfterMs = 5000;
    std::string closeWhenFile;
    DWORD exitTimeoutMs = 5000;
    std::string switchText = "/p ";
};

void Say(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stdout, format, arguments);
    va_end(arguments);
    std::fputc('\n', stdout);
    // The script polls the output file while this program runs.
    std::fflush(stdout);
}

DWORD SecondsToMs(const char* text)
{
    return static_cast<DWORD>(std::strtod(text, nullptr) * 1000.0);
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    if (argc < 6) {
        return false;
    }
    options.x = std::atoi(argv[1]);
    options.y = std::atoi(argv[2]);
    options.width = std::atoi(argv[3]);
    options.height = std::atoi(argv[4]);
    options.saver = argv[5];
    for (int i = 6; i < argc; i += 2) {
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[i + 1];
        if (std::strcmp(argv[i], "--close-after") == 0) {
            options.closeAfterMs = SecondsToMs(value);
        } else if (std::strcmp(argv[i], "--close-when") == 0) {
            options.closeWhenFile = value;
        } else if (std::strcmp(argv[i], "--exit-timeout") == 0) {
            options.exitTimeoutMs = SecondsToMs(value);
        } else if (std::strcmp(argv[i], "--switch") == 0) {
            options.switchText = value;
        } else {
            return false;
        }
    }
    return options.width > 0 && options.height > 0;
}

LRESULT CALLBACK HostWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// A borderless popup: its window rectangle, which the saver sizes itself
// to, is exactly the area that it shows. The magenta background makes any
// part that the saver leaves uncovered stand out in a screenshot.
HWND CreateHostWindow(const Options& options, HBRUSH background)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostWndProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = "VitranePreviewHost";
    if (RegisterClassA(&windowClass) == 0) {
        return nullptr;
    }
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Vitrane preview host",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, options.x, options.y, options.width,
                                  options.height, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window != nullptr) {
        (void)UpdateWindow(window);
    }
    return window;
}

bool StartSaver(const Options& options, HWND parent, PROCESS_INFORMATION& process)
{
    std::string commandLine = "\"" + options.saver + "\" " + options.switchText +
                              std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process) != 0;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Runs this thread's messages while waiting: the saver sends messages to its
// parent, and the parent's destruction sends messages to the saver's window.
// True when the process ended within the wait.
bool PumpWhileWaiting(HANDLE process, DWORD waitMs)
{
    if (MsgWaitForMultipleObjects(1, &process, FALSE, waitMs, QS_ALLINPUT) == WAIT_OBJECT_0) {
        return true;
    }
    PumpMessages();
    return false;
}

bool CloseSignalled(const Options& options, DWORD elapsedMs)
{
    if (!options.closeWhenFile.empty()) {
        return GetFileAttributesA(options.closeWhenFile.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    return elapsedMs >= options.closeAfterMs;
}

// True when the saver ended on its own before the close signal came.
bool SaverEndedBeforeClose(HANDLE process, const Options& options, HWND parent)
{
    bool attached = false;
    const DWORD start = GetTickCount();
    while (!CloseSignalled(options, GetTickCount() - start)) {
        if (!attached && GetWindow(parent, GW_CHILD) != nullptr) {
            attached = true;
            Say("attached");
        }
        if (PumpWhileWaiting(process, 50)) {
            return true;
        }
    }
    return false;
}

bool SaverEndsWithin(HANDLE process, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (PumpWhileWaiting(process, 50)) {
            return true;
        }
    }
    return false;
}

int ExitCodeOf(HANDLE process)
{
    DWORD code = 0;
    (void)GetExitCodeProcess(process, &code);
    return static_cast<int>(code);
}

int Run(const Options& options, HBRUSH background)
{
    HWND parent = CreateHostWindow(options, background);
    if (parent == nullptr) {
        Say("could not create the preview window");
        return exitStartFailed;
    }
    Say("parent %llu", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)));

    PROCESS_INFORMATION process{};
    if (!StartSaver(options, parent, process)) {
        Say("could not start %s (error %lu)", options.saver.c_str(), GetLastError());
        (void)DestroyWindow(parent);
        return exitStartFailed;
    }
    Say("started %lu", process.dwProcessId);

    int result;
    if (SaverEndedBeforeClose(process.hProcess, options, parent)) {
        result = ExitCodeOf(process.hProcess);
        Say("saver ended before its parent was destroyed, exit code %d", result);
        (void)DestroyWindow(parent);
        result = exitEndedEarly;
    } else {
        (void)DestroyWindow(parent);
        Say("parent destroyed");
        if (SaverEndsWithin(process.hProcess, options.exitTimeoutMs)) {
            result = ExitCodeOf(process.hProcess);
            Say("saver exit code %d", result);
        } else {
            Say("saver still running %lu ms after its parent was destroyed", options.exitTimeoutMs);
            (void)TerminateProcess(process.hProcess, exitTimedOut);
            result = exitTimedOut;
        }
    }
    (void)CloseHandle(process.hThread);
    (void)CloseHandle(process.hProcess);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: preview_host X Y WIDTH HEIGHT SAVER [--close-after SECONDS] [--close-when FILE] "
                     "[--exit-timeout SECONDS] [--switch TEXT]\n");
        return exitUsage;
    }
    HBRUSH background = CreateSolidBrush(RGB(255, 0, 255));
    const int result = Run(options, background);
    (void)DeleteObject(background);
    return result;
}
