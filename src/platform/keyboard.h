// keyboard.h -- the window's keyboard as the X server gives it: key repeat, and losing the keyboard.
#pragma once

// ---- functions -------------------------------------------------------------
// Once the window exists and its GL context is current. Asks the server to
// repeat a held key as presses alone, without a release before each: then
// no release can be taken for a real one, however late the game reads it.
// Returns whether the server does so (false: its repeats still come as
// release and press pairs).
bool kbdRepeatWithoutRelease();

// Starts watching the window of the current GL context for losing the
// keyboard (to another window, to a grab, or with the pointer where the
// keyboard follows the pointer).
void kbdWatchFocus();
// True when the window has lost the keyboard since the last call: the
// releases of keys held then go elsewhere. Never waits.
bool kbdFocusLost();
