#include "app/win32_main_window.h"

#include <wtsapi32.h>

#include <cstring>
#include <string>

#include "app/output_visibility.h"
#include "render/win32_gl_window.h"
#include "res/resource.h"

static MainWindowLinks links;

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

void RegisterMainWindowClass(HINSTANCE programInstance, const char* className, const MainWindowLinks& windowLinks)
{
    links = windowLinks;
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

// Who can see the output, as the system last told.
static ScreenState screen;

static std::wstring DesktopName(HDESK desktop)
{
    wchar_t name[256] = {};
    return GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name - sizeof name[0], nullptr) ? name
                                                                                                      : L"";
}

// Whether the desktop the saver shows on still takes the input. The lock
// screen's desktop is not ours to open: failing to open the input desktop
// means it is another.
static bool SaverTakesInput()
{
    HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (input == nullptr) {
        return false;
    }
    const std::wstring inputName = DesktopName(input);
    (void)CloseDesktop(input);
    return !inputName.empty() && inputName == DesktopName(GetThreadDesktop(GetCurrentThreadId()));
}

bool OutputCanBeSeen()
{
    if (!ScreenCanBeSeen(screen, SaverTakesInput)) {
        return false;
    }
    const GLWindow& output = *links.output;
    if (output.IsFullScreen() || output.window == nullptr) {
        return true;
    }
    // The preview: visible only with every ancestor visible (IsWindowVisible
    // looks up the chain) and the top one not minimised.
    return IsWindowVisible(output.window) && !IsIconic(GetAncestor(output.window, GA_ROOT));
}

VisibilityNotifications::VisibilityNotifications(HWND window)
    : window(window),
      displayState(RegisterPowerSettingNotification(window, &GUID_CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE)),
      sessionRegistered(WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE)
{
}

VisibilityNotifications::~VisibilityNotifications()
{
    if (displayState != nullptr) {
        (void)UnregisterPowerSettingNotification(displayState);
    }
    if (sessionRegistered) {
        (void)WTSUnRegisterSessionNotification(window);
    }
}

static void FollowPowerBroadcast(WPARAM event, LPARAM lParam)
{
    switch (event) {
    case PBT_POWERSETTINGCHANGE: {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        if (setting != nullptr && IsEqualGUID(setting->PowerSetting, GUID_CONSOLE_DISPLAY_STATE) &&
            setting->DataLength >= sizeof(DWORD)) {
            DWORD state = 0;
            std::memcpy(&state, setting->Data, sizeof state);
            screen.displayOff = state == 0;  // 1 on, 2 dimmed: both still seen
        }
        break;
    }
    case PBT_APMSUSPEND:
        screen.systemSuspending = true;
        break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMECRITICAL:
        screen.systemSuspending = false;
        break;
    default:
        break;
    }
}

static void FollowSessionChange(WPARAM event)
{
    switch (event) {
    case WTS_SESSION_LOCK:
        screen.sessionLocked = true;
        break;
    case WTS_SESSION_UNLOCK:
        screen.sessionLocked = false;
        break;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
        screen.sessionDisconnected = true;
        break;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        screen.sessionDisconnected = false;
        break;
    default:
        break;
    }
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
        links.output->Resize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_POWERBROADCAST:
        FollowPowerBroadcast(wParam, lParam);
        return TRUE;
    case WM_WTSSESSION_CHANGE:
        FollowSessionChange(wParam);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DISPLAYCHANGE:
        links.followDisplayChange();
        return 0;
    case WM_DPICHANGED:
        // The rectangle the system suggests scales the window to the new DPI;
        // full screen, it must cover every monitor whatever the scaling.
        links.followDisplayChange();
        return 0;
    case WM_TIMECHANGE:
        if (links.followTimeChange != nullptr) {
            links.followTimeChange();
        }
        return 0;
    case WM_SETTINGCHANGE:
        // "intl": the user changed the formats of the time or the date.
        if (links.followTimeChange != nullptr && lParam != 0 &&
            std::strcmp(reinterpret_cast<const char*>(lParam), "intl") == 0) {
            links.followTimeChange();
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATEAPP:
        // Another program came to the front: the saver gives way to it, as
        // the system's own screen saver does.
        if (wParam != FALSE) {
            hadForeground = true;
        } else if (hadForeground && links.output->IsFullScreen()) {
            PostQuitMessage(0);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
