// controls.h -- the GLUT keyboard callbacks that drive the game state.
#pragma once

// ---- constants -------------------------------------------------------------
constexpr float kCtlTurnRate      = 0.15f;
constexpr int   kCtlThrottleSpeed = 1000;
constexpr float kCtlBrakeStep     = 15.0f;
constexpr float kCtlViewportStep  = 50.0f;
constexpr int   kCtlExitStatus    = 1;
constexpr unsigned char kCtlEscapeKey = 27;

// ---- functions -------------------------------------------------------------
void onSpecialKey(int key, int x, int y);
void onSpecialKeyUp(int key, int x, int y);
void onKey(unsigned char key, int x, int y);
// The window manager closed the window: the same way out as Escape.
void onWindowClose();

// Keyboard edition's down arrow: a brake that remembers how often it was used.
void ctlBrakePress();
void ctlBrakeRelease();

// Back to the start: not on the way out.
void ctlReset();

// Releases what Escape releases before the process ends (the sky textures).
void ctlReleaseOnExit();
