// window_probe: looks at and pokes the windows of another program, for the
// end-to-end scripts. Every command names a visible top-level window by its
// exact title and waits for it (up to --timeout milliseconds) before acting.
//
//   window_probe [--timeout MS] wait    TITLE          print the window's handle
//   window_probe [--timeout MS] gone    TITLE          wait until no such window is left
//   window_probe [--timeout MS] text    TITLE ID       print a control's text
//   window_probe [--timeout MS] click   TITLE ID       press a button (BM_CLICK)
//   window_probe [--timeout MS] command TITLE ID       post WM_COMMAND(ID, BN_CLICKED) to the window
//   window_probe [--timeout MS] checked TITLE ID       print 0, 1 or 2 (BM_GETCHECK)
//   window_probe [--timeout MS] enabled TITLE ID       print 1 or 0
//   window_probe [--timeout MS] rect    TITLE [ID]     print "x y width height" in screen pixels
//   window_probe [--timeout MS] list    TITLE          one line per child window:
//                                                      id visible enabled x y width height "class" "text"
//   window_probe [--timeout MS] close   TITLE          post WM_CLOSE
//   window_probe [--timeout MS] topmost TITLE          print 1 or 0 (WS_EX_TOPMOST)
//   window_probe [--timeout MS] front   TITLE          open a window of its own titled TITLE, bring it
//                                                      to the foreground and keep it for MS; exit 0
//                                                      when it was the foreground window
//   window_probe [--timeout MS] owner   TITLE          print the owner's handle (0 for none), 1 or 0
//                                                      for whether the owner is enabled, and its
//                                                      title in quotes
//
// IDs are decimal or 0x-prefixed hexadecimal; a message box's text is the
// static control 0xFFFF. Exit codes: 0 done, 1 window or control not found in
// time, 2 bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int exitDone = 0;
constexpr int exitNotFound = 1;
constexpr int exitUsage = 2;

// Another program's window can be busy (a modal loop starting up); never let
// a probe hang on it.
constexpr UINT sendTimeoutMs = 2000;

struct TitleSearch {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<TitleSearch*>(parameter);
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    char text[512];
    const int length = GetWindowTextA(window, text, sizeof text);
    if (length >= 0 && std::strcmp(text, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindVisibleTopLevel(const char* title)
{
    TitleSearch search{title, nullptr};
    (void)EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const char* title, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindVisibleTopLevel(title);
        if (window != nullptr || GetTickCount() - start >= timeoutMs) {
            return window;
        }
        Sleep(50);
    }
}

bool WaitUntilGone(const char* title, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (FindVisibleTopLevel(title) != nullptr) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

bool ParseId(const char* text, int& id)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 0);
    if (end == text || *end != '\0') {
        return false;
    }
    id = static_cast<int>(value);
    return true;
}

// GetDlgItem matches the id as the 16-bit value that dialog templates store,
// so 0xFFFF and -1 name the same control.
HWND FindControl(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    if (control == nullptr) {
        std::fprintf(stderr, "window_probe: no control with id %d\n", id);
    }
    return control;
}

std::string ControlText(HWND control)
{
    char text[4096] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             sendTimeoutMs, &copied)) {
        return std::string();
    }
    return std::string(text, copied);
}

void PrintRect(HWND window)
{
    RECT rect{};
    (void)GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// Class names and texts may hold blanks, so they come last, in quotes.
BOOL CALLBACK PrintChild(HWND child, LPARAM)
{
    char className[128] = "";
    (void)GetClassNameA(child, className, sizeof className);
    RECT rect{};
    (void)GetWindowRect(child, &rect);
    std::printf("%d %d %d %ld %ld %ld %ld \"%s\" \"%s\"\n", GetDlgCtrlID(child) & 0xFFFF, IsWindowVisible(child) ? 1 : 0,
                IsWindowEnabled(child) ? 1 : 0, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                className, ControlText(child).c_str());
    return TRUE;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: window_probe [--timeout MS] wait|gone|text|click|command|checked|enabled|rect|list|close|"
                 "topmost|front|owner|session TITLE [ID]\n"
                 "       window_probe resolution WIDTHxHEIGHT\n");
    return exitUsage;
}

enum class IdUse { None, Optional, Required };

struct Command {
    const char* name;
    IdUse id;
};

constexpr Command commands[] = {
    {"wait", IdUse::None},        {"gone", IdUse::None},        {"text", IdUse::Required},
    {"click", IdUse::Required},    {"command", IdUse::Required}, {"checked", IdUse::Required},
    {"enabled", IdUse::Required},  {"rect", IdUse::Optional},    {"list", IdUse::None},
    {"close", IdUse::None},        {"topmost", IdUse::None},     {"front", IdUse::None},
    {"owner", IdUse::None},       {"resolution", IdUse::None},
    {"session", IdUse::Required},
};

bool ArgumentsFit(const Command& command, bool hasId)
{
    return hasId ? command.id != IdUse::None : command.id != IdUse::Required;
}

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : commands) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

int ActOnControl(const std::string& command, HWND window, int id)
{
    HWND control = FindControl(window, id);
    if (control == nullptr) {
        return exitNotFound;
    }
    if (command == "text") {
        std::printf("%s\n", ControlText(control).c_str());
    } else if (command == "click") {
        // Posted: the click can start a modal loop (a file dialog) that would
        // hold a sent message until it closes.
        (void)PostMessageA(control, BM_CLICK, 0, 0);
    } else if (command == "command") {
        (void)PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    } else if (command == "checked") {
        DWORD_PTR state = 0;
        (void)SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, sendTimeoutMs, &state);
        std::printf("%u\n", static_cast<unsigned>(state));
    } else if (command == "enabled") {
        std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    } else if (command == "rect") {
        PrintRect(control);
    }
    return exitDone;
}

void ActOnWindow(const std::string& command, HWND window)
{
    if (command == "wait") {
        std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    } else if (command == "list") {
        (void)EnumChildWindows(window, PrintChild, 0);
    } else if (command == "close") {
        (void)PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (command == "rect") {
        PrintRect(window);
    } else if (command == "topmost") {
        std::printf("%d\n", (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ? 1 : 0);
    } else if (command == "owner") {
        HWND owner = GetWindow(window, GW_OWNER);
        char title[512] = "";
        (void)GetWindowTextA(owner, title, sizeof title);
        std::printf("%llu %d \"%s\"\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)),
                    IsWindowEnabled(owner) ? 1 : 0, title);
    }
}

int ChangeResolution(const char* size)
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (std::sscanf(size, "%lux%lu", &mode.dmPelsWidth, &mode.dmPelsHeight) != 2) {
        return Usage();
    }
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG result = ChangeDisplaySettingsA(&mode, 0);
    if (result != DISP_CHANGE_SUCCESSFUL) {
        std::fprintf(stderr, "window_probe: ChangeDisplaySettingsA gave %ld\n", result);
        return exitNotFound;
    }
    return exitDone;
}

// Another application coming to the front, as when the user switches to it.
int BringOwnWindowToFront(const char* title, DWORD keepMs)
{
    HWND window = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    bool inFront = window != nullptr && SetForegroundWindow(window) && GetForegroundWindow() == window;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < keepMs; Sleep(20)) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            (void)DispatchMessageA(&message);
        }
    }
    (void)DestroyWindow(window);
    return inFront ? exitDone : exitNotFound;
}

}  // namespace

int main(int argc, char** argv)
{
    DWORD timeoutMs = 5000;
    int next = 1;
    if (next + 1 < argc && std::strcmp(argv[next], "--timeout") == 0) {
        timeoutMs = static_cast<DWORD>(std::strtoul(argv[next + 1], nullptr, 10));
        next += 2;
    }
    if (argc - next < 2) {
        return Usage();
    }
    const Command* command = FindCommand(argv[next]);
    const char* title = argv[next + 1];
    const bool hasId = argc - next >= 3;
    int id = 0;
    if (command == nullptr || argc - next > 3 || !ArgumentsFit(*command, hasId) ||
        (hasId && !ParseId(argv[next + 2], id))) {
        return Usage();
    }

    if (std::strcmp(command->name, "resolution") == 0) {
        return ChangeResolution(title);
    }
    if (std::strcmp(command->name, "front") == 0) {
        return BringOwnWindowToFront(title, timeoutMs);
    }
    if (std::strcmp(command->name, "gone") == 0) {
        if (!WaitUntilGone(title, timeoutMs)) {
            std::fprintf(stderr, "window_probe: \"%s\" still there after %lu ms\n", title, timeoutMs);
            return exitNotFound;
        }
        return exitDone;
    }

    HWND window = WaitForWindow(title, timeoutMs);
    if (window == nullptr) {
        std::fprintf(stderr, "window_probe: no visible window \"%s\" within %lu ms\n", title, timeoutMs);
        return exitNotFound;
    }
    int result = exitDone;
    if (std::strcmp(command->name, "session") == 0) {
        (void)PostMessageA(window, WM_WTSSESSION_CHANGE, static_cast<WPARAM>(id), 0);
    } else if (hasId) {
        result = ActOnControl(command->name, window, id);
    } else {
        ActOnWindow(command->name, window);
    }
    std::fflush(stdout);
    return result;
}
