// keyboard_web.cpp -- the page's keyboard: key repeat, and the page losing the keyboard.
#include "platform/keyboard.h"

#include "platform/web/web_page.h"

// ---- functions -------------------------------------------------------------
// The browser repeats a held key as presses alone (marked as repeats),
// never with a release between them.
bool kbdRepeatWithoutRelease()
{
    return true;
}

void kbdWatchFocus()
{
    webFocusWatch();
}

// Another window or tab took the keyboard: the page gets no releases then.
bool kbdFocusLost()
{
    return webFocusLostSinceLastCall() != 0;
}
