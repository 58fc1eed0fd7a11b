// process.h -- the process's standard descriptors and signals, made safe before anything is printed.
#pragma once

// ---- functions -------------------------------------------------------------
// Puts /dev/null on whichever of descriptors 0, 1 and 2 the program was
// started without, so no file opened later (the X connection, a data file)
// takes their place and gets read or written as the console. Also keeps a
// console pipe whose reader went away from killing the game: the output is
// lost and the flight goes on.
void procGuardStandardFiles();
