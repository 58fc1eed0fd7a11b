// config_console.h -- the start-up dialogue that picks textures, display and sky.
#pragma once

// ---- types -----------------------------------------------------------------
// Questions answered ahead of time, on the command line. Each menu answer
// is the menu key it stands for, 0 while the question is still to be asked.
struct ConsoleAnswers {
    int  textureKey = 0;
    int  displayKey = 0;
    int  skyKey     = 0;
    bool skipConfig = false;  // as 'x' at the first prompt
    bool deviceSet  = false;  // sound edition: the device question
    int  device     = 0;
    bool skipTail   = false;  // a timedemo: the edition's last question (the device) is not asked
};

// ---- functions -------------------------------------------------------------
// True when the running edition has nothing left to ask: the dialogue and
// everything after it then read nothing from the console.
bool cfgAllAnswered();

void runConfigConsole();
