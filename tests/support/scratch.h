// scratch.h -- tests' working folders (a fresh scratch one, or the game's), captured standard output, scripted console input.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <gtest/gtest.h>

#include "platform/console.h"

// Works in a fresh folder under /tmp until scratchLeave().
void scratchEnter();
// Works in the existing folder `dir` until scratchLeave().
void scratchEnterDir(const char* dir);
// Back to where the test was; a scratch folder goes with everything in it.
void scratchLeave();
// Writes `text`, every byte of it, to the file `name` in the working folder.
void scratchWrite(const char* name, const std::string& text);

// What `run()` printed on standard output.
template <typename F>
std::string capturedStdout(F run)
{
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
}

struct ScriptedRun {
    std::string out;    // what was printed
    long        taken;   // how many of the keys were read
    long        unread;  // how many were left
};

// Runs `run()` with the console reading `keys` (none: at its end at once).
template <typename F>
ScriptedRun scriptedConsole(const char* keys, F run)
{
    FILE* in = *keys ? fmemopen((void*)keys, strlen(keys), "r") : fopen("/dev/null", "r");
    conSetInput(in);
    ScriptedRun done = {capturedStdout(run), 0, 0};
    conSetInput(nullptr);
    done.taken  = ftell(in);
    done.unread = (long)strlen(keys) - done.taken;
    fclose(in);
    return done;
}
