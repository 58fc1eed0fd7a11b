// held_keys.h -- one press and one release for each hold of a key, and every held key let go when the window loses the keyboard.
#pragma once

// ---- functions -------------------------------------------------------------
// Right before the main loop, with the window open: registers the keyboard
// callbacks below with GLUT in place of the demo's, and sets up the key
// repeat and the watch on the keyboard focus.
void heldStart();

// GLUT's keyboard callbacks. A press of a key already held (the server's
// repeat) is dropped; the rest goes on to the demo's callbacks, which
// record it and hand it to the game.
void heldOnKey(unsigned char key, int x, int y);
void heldOnKeyUp(unsigned char key, int x, int y);
void heldOnSpecialKey(int key, int x, int y);
void heldOnSpecialKeyUp(int key, int x, int y);

// Back to the start: no key held.
void heldReset();

// Lets go of every held key: the game gets the release of each special
// key, as from the player, and the next press of any key counts again.
void heldReleaseAll();
