/* wm_state: the one duty of a window manager that Wine waits for, on a test
 * display that has none. Wine hides a managed window only once the window
 * manager has put it in the normal state, and waits two seconds for that
 * when nobody does; every dialog and message box that closes would cost
 * those seconds. So each top-level window that is mapped (not
 * override-redirect) gets the ICCCM WM_STATE property NormalState, and loses
 * it (withdrawn) when it is unmapped. Nothing else: no frames, no focus, no
 * stacking. Prints "ready" once it watches the display; ends with it.
 * Native (not a Windows program): cc wm_state.c -lX11 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>

/* A window may be gone by the time its event is read. */
static int IgnoreError(Display* display, XErrorEvent* error)
{
    (void)display;
    (void)error;
    return 0;
}

int main(void)
{
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "wm_state: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    const Window root = DefaultRootWindow(display);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    printf("ready\n");
    fflush(stdout);

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect) {
            const long state[2] = {NormalState, None};
            XChangeProperty(display, event.xmap.window, wmState, wmState, 32, PropModeReplace,
                            (const unsigned char*)state, 2);
            XFlush(display);
        } else if (event.type == UnmapNotify && event.xunmap.event == root) {
            XDeleteProperty(display, event.xunmap.window, wmState);
            XFlush(display);
        }
    }
}
