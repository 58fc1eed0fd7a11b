// web_page.h -- the calls the web platform makes into the page's JavaScript (web_library.js).
#pragma once

extern "C" {
// ---- keyboard --------------------------------------------------------------
// Whether the dialogue takes key presses now (off: those not read are dropped).
void webConsoleListen(int on);
// The next byte of the dialogue's keys; waits for a key press.
int webConsoleNextByte();
// From now on every key the dialogue does not take goes to the window's
// queue, as a window's keys wait for its main loop.
void webKeysToWindow();
// The window's next key event into `event`: down (1) or up (0), the
// character as GLUT gives it (-1 for none), GLUT's special code (0 for
// none), repeat (1). Returns 0 when none is waiting.
int webTakeKey(int event[4]);
void webFocusWatch();
int  webFocusLostSinceLastCall();

// ---- time ------------------------------------------------------------------
// Lets the browser handle its events and draw, then comes back at once.
void webGiveTurn();

// ---- the canvas ------------------------------------------------------------
void webCanvasOpen(const char* title, int width, int height);
int  webCanvasWidth();
int  webCanvasHeight();
// 1: full screen, 0: back to the canvas's own size, -1: the other of the two.
void webFullScreen(int on);
}
