// scratch.h -- tests' working folders (a fresh scratch one, or the game's) and captured standard output.
#pragma once

#include <string>
#include <gtest/gtest.h>

// Works in a fresh folder under /tmp until scratchLeave().
void scratchEnter();
// Works in the existing folder `dir` until scratchLeave().
void scratchEnterDir(const char* dir);
// Back to where the test was; a scratch folder goes with everything in it.
void scratchLeave();
// Writes `text` to the file `name` in the working folder.
void scratchWrite(const char* name, const std::string& text);

// What `run()` printed on standard output.
template <typename F>
std::string capturedStdout(F run)
{
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
}
