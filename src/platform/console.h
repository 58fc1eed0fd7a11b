// console.h -- console input: single key presses without echo, and typed numbers.
#pragma once

#include <cstdio>

// ---- constants -------------------------------------------------------------
// What a key read gives at end of input. No menu offers it, so a closed
// standard input falls through every menu at once instead of hanging.
constexpr int kConKeyEnd = -1;

// ---- functions -------------------------------------------------------------
// Paired around the start-up dialogue and scene set-up: from the first to
// the second call a terminal on standard input echoes nothing and gives
// every key at once, so keys typed ahead of a prompt do not show either. The second call, the
// process's exit and a fatal signal put the terminal back as it was.
void conBeginDialogue();
void conEndDialogue();

// Flushes standard output, then reads one key press: no echo, no Enter. A key
// that sends several codes (arrows) gives them one call at a time.
int conReadKey();

// Flushes standard output, then reads the line the player types and ends
// with Enter (echoed, as any typed line) into `line`, NUL-terminated; what
// does not fit is dropped so it cannot answer a later read. Returns the
// length kept, or -1 at end of input with nothing typed.
int conReadLine(char* line, int size);

// From now on every read answers at once as at end of input, and the
// terminal is left alone: nothing is left to ask, so nothing may wait for
// a key (a start from a desktop menu may have no console at all).
void conSetUnattended();

// Reads from `in` instead of standard input (nullptr: standard input again).
void conSetInput(FILE* in);
