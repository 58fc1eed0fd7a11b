// signals_web.cpp -- signals in the page: none ever comes.
#include "platform/signals.h"

#include <cstdlib>

// ---- functions -------------------------------------------------------------
// A page has no pipe to break and no stop signal: closing it ends
// everything at once, with nothing left to undo.
void sigIgnoreBrokenPipe() {}

void sigUndoOnEnd(void (*)()) {}

void sigCatchStops(void (*)()) {}

int sigStopCaught()
{
    return 0;
}

void sigDieOf(int sig)
{
    // As a shell tells a death by signal.
    exit(128 + sig);
}
