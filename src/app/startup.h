// startup.h -- entry sequence, scene set-up and the reshape callback.
#pragma once

#include "app/edition.h"

// ---- constants -------------------------------------------------------------
constexpr const char* kStartGameMode  = "640x480:16";
constexpr const char* kStartTitle     = "VORTAVIA 3D";
constexpr int    kStartWindowSize     = 400;
constexpr double kStartFieldOfView    = 90.0;
constexpr double kStartNearPlane      = 1.0;
constexpr double kStartFarPlane       = 200000.0;

// ---- functions -------------------------------------------------------------
// Runs the whole program for `ed`; never returns.
[[noreturn]] void appRun(int argc, char** argv, const Edition& ed);

void initScene();
void onReshape(int width, int height);

// Aspect ratio handed to the projection for a window of this size.
double reshapeAspect(int width, int height);
