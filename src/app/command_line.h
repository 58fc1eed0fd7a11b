// command_line.h -- the program's own options, read before GLUT sees the command line.
#pragma once

#include "app/edition.h"

// ---- functions -------------------------------------------------------------
// Takes the options of `ed` out of argv (GLUT's own, which begin with one
// dash, stay for glutInit) and records their answers for the dialogue
// the demo files (demoOptions) and
// the pacing (paceOptions).
// --help and --version print and end the process with status 0; an
// unknown option (GLUT's -geometry and a word that is no option included)
// or a bad value prints one line and a hint on standard error and ends it
// with status 2. Nothing else is printed here.
void cmdParse(int& argc, char** argv, const Edition& ed);
