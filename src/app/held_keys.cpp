// held_keys.cpp -- one press and one release for each hold of a key, and every held key let go when the window loses the keyboard.
#include "app/held_keys.h"

#include <GL/freeglut.h>

#include "demo/demo.h"
#include "platform/keyboard.h"

// ---- constants -------------------------------------------------------------
constexpr int kHeldCodes        = 256;  // characters, and GLUT's special key codes
constexpr int kHeldFocusCheckMs = 50;   // a release elsewhere is not noticed later than this

// ---- data ------------------------------------------------------------------
static struct {
    bool key[kHeldCodes];      // by character
    bool special[kHeldCodes];  // by GLUT's code
} held;

// ---- functions -------------------------------------------------------------
// A letter is one key whatever the case: Shift going down while it is held
// must not make its repeats, or its release, another key's.
static unsigned char heldKeyOf(unsigned char key)
{
    return key >= 'A' && key <= 'Z' ? (unsigned char)(key - 'A' + 'a') : key;
}

void heldReset()
{
    held = {};
}

void heldReleaseAll()
{
    for (int code = 0; code < kHeldCodes; code++)
        if (held.special[code]) {
            held.special[code] = false;
            demoOnSpecialKeyUp(code, 0, 0);
        }
    // A character key's release does nothing in the game; only its next press must count.
    for (bool& key : held.key)
        key = false;
}

// Before each key, so a loss of the keyboard that came first is dealt with first.
static void heldCheckFocus()
{
    if (kbdFocusLost())
        heldReleaseAll();
}

static void heldOnFocusTimer(int)
{
    heldCheckFocus();
    glutTimerFunc(kHeldFocusCheckMs, heldOnFocusTimer, 0);
}

// ---- callbacks -------------------------------------------------------------
void heldOnKey(unsigned char key, int x, int y)
{
    heldCheckFocus();
    if (held.key[heldKeyOf(key)])
        return;
    held.key[heldKeyOf(key)] = true;
    demoOnKey(key, x, y);
}

void heldOnKeyUp(unsigned char key, int, int)
{
    heldCheckFocus();
    if (held.key[heldKeyOf(key)]) {
        held.key[heldKeyOf(key)] = false;
        return;
    }
    // Released as another character than it was pressed as (Ctrl went
    // down meanwhile): which key it was is unknown, so none stays held.
    for (bool& other : held.key)
        other = false;
}

void heldOnSpecialKey(int key, int x, int y)
{
    heldCheckFocus();
    const bool known = key >= 0 && key < kHeldCodes;
    if (known && held.special[key])
        return;
    if (known)
        held.special[key] = true;
    demoOnSpecialKey(key, x, y);
}

void heldOnSpecialKeyUp(int key, int x, int y)
{
    heldCheckFocus();
    // A key pressed before the window had the keyboard, or already let go
    // when the window lost it: the game has no press to end.
    if (key >= 0 && key < kHeldCodes && !held.special[key])
        return;
    if (key >= 0 && key < kHeldCodes)
        held.special[key] = false;
    demoOnSpecialKeyUp(key, x, y);
}

// ---- start -----------------------------------------------------------------
void heldStart()
{
    // A server that repeats with presses alone leaves nothing for GLUT's
    // filter to do, and the filter then drops real releases: it takes a
    // release for a repeat whenever the key is down again by the time the
    // release is read. Its repeats as release and press pairs need the filter.
    glutIgnoreKeyRepeat(!kbdRepeatWithoutRelease());
    glutKeyboardFunc(heldOnKey);
    glutKeyboardUpFunc(heldOnKeyUp);
    glutSpecialUpFunc(heldOnSpecialKeyUp);
    glutSpecialFunc(heldOnSpecialKey);
    // A timedemo takes no keys but Escape, so it has none held to let go.
    if (!demoPlaying()) {
        kbdWatchFocus();
        glutTimerFunc(kHeldFocusCheckMs, heldOnFocusTimer, 0);
    }
}
