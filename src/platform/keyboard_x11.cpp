// keyboard_x11.cpp -- key repeat and keyboard focus of the game's window, from the X server.
#include "platform/keyboard.h"

#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

// ---- data ------------------------------------------------------------------
// A connection of our own: freeglut's takes every event of its window and
// drops the focus changes, but each client chooses the events it is sent.
static struct {
    Display* focusDisplay;
    Window   window;
} kbd;

// ---- functions -------------------------------------------------------------
bool kbdRepeatWithoutRelease()
{
    Display* display = glXGetCurrentDisplay();
    Bool     done    = False;
    return display && XkbSetDetectableAutoRepeat(display, True, &done) && done;
}

void kbdWatchFocus()
{
    Display* glut = glXGetCurrentDisplay();
    if (!glut || kbd.focusDisplay)
        return;
    kbd.focusDisplay = XOpenDisplay(DisplayString(glut));
    kbd.window       = glXGetCurrentDrawable();
    if (kbd.focusDisplay && kbd.window)
        XSelectInput(kbd.focusDisplay, kbd.window, FocusChangeMask | LeaveWindowMask);
}

// With the focus on the pointer's window (no window manager), the keyboard
// goes where the pointer goes, and no focus event says so.
static bool kbdFocusFollowsPointer()
{
    Window focus  = None;
    int    revert = 0;
    XGetInputFocus(kbd.focusDisplay, &focus, &revert);
    return focus == PointerRoot;
}

bool kbdFocusLost()
{
    bool lost = false;
    while (kbd.focusDisplay && XPending(kbd.focusDisplay)) {
        XEvent event;
        XNextEvent(kbd.focusDisplay, &event);
        // Focus or pointer moving into a window inside ours keeps the keyboard with us.
        if (event.type == FocusOut && event.xfocus.detail != NotifyInferior)
            lost = true;
        if (event.type == LeaveNotify && event.xcrossing.mode == NotifyNormal &&
            event.xcrossing.detail != NotifyInferior && kbdFocusFollowsPointer())
            lost = true;
    }
    return lost;
}
