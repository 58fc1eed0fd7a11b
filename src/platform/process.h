// process.h -- the process's standard descriptors and its environment.
#pragma once

// ---- functions -------------------------------------------------------------
// Puts /dev/null on whichever of descriptors 0, 1 and 2 the program was
// started without, so no file opened later (the X connection, a data file)
// takes their place and gets read or written as the console. Also keeps a
// console pipe whose reader went away from killing the game: the output is
// lost and the flight goes on.
void procGuardStandardFiles();

// The environment variable `name`, or nullptr when unset or empty.
const char* procEnvironment(const char* name);
