// command_line.h -- the program's own options, read before GLUT sees the command line.
#pragma once

#include "app/config_console.h"
#include "app/edition.h"

// ---- types -----------------------------------------------------------------
// Everything the command line asked for, each at its start value until
// cmdParse; fixed from then on.
struct CmdSettings {
    ConsoleAnswers answers;               // questions answered ahead of time
    const char*    recordFile = nullptr;  // --record; nullptr: none
    const char*    playFile   = nullptr;  // --timedemo; nullptr: none
    int            fps        = 0;        // --fps; 0: as fast as frames come
};

// ---- data ------------------------------------------------------------------
extern CmdSettings cmdSettings;

// ---- functions -------------------------------------------------------------
// Takes the options of `ed` out of argv (GLUT's own, which begin with one
// dash, stay for glutInit) and records them in cmdSettings.
// --help and --version print and end the process with status 0; an
// unknown option (GLUT's -geometry and a word that is no option included)
// or a bad value prints one line and a hint on standard error and ends it
// with status 2. Nothing else is printed here.
void cmdParse(int& argc, char** argv, const Edition& ed);
