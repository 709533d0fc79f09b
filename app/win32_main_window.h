#pragma once

#include <windows.h>

class GLWindow;

// What the window needs from the program that makes it: the output it shows
// (told every size change, asked whether it is full screen) and what to do
// when the monitors change, or the time, the time zone or the user's formats.
// All outlive the window.
struct MainWindowLinks {
    GLWindow* output = nullptr;
    void (*followDisplayChange)() = nullptr;
    void (*followTimeChange)() = nullptr;
};

// Registers the class of the program's one window under className, its
// messages handled with the links given. A failure shows up as the failed
// window creation that follows.
void RegisterMainWindowClass(HINSTANCE programInstance, const char* className, const MainWindowLinks& links);

// Ends the program when the window is destroyed, or when another program is
// activated over the full-screen saver after it had the foreground; hands
// every size change to the GL output.
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Back to the state at start-up: the program has not had the foreground yet,
// so losing it ends nothing.
void ForgetForeground();

// Ends the program (exit code 0) once the preview's parent window is gone.
// Checked on a timer, which also wakes a main loop that waits for messages.
void WatchPreviewParent(HWND parent);

// False while nobody can see the output: the display is off, the lock screen
// has taken the saver's place, the session is disconnected, the system is
// suspending, or the preview's parent is hidden or minimised.
bool OutputCanBeSeen();

// Asks the system to tell the window when the display goes off or on and
// when the session is locked or disconnected, for as long as it lives.
class VisibilityNotifications {
public:
    explicit VisibilityNotifications(HWND window);
    ~VisibilityNotifications();
    VisibilityNotifications(const VisibilityNotifications&) = delete;
    VisibilityNotifications& operator=(const VisibilityNotifications&) = delete;

private:
    HWND window;
    HPOWERNOTIFY displayState;
    bool sessionRegistered;
};
