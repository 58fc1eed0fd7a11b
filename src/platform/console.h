// console.h -- console input: single key presses without echo, and typed numbers.
#pragma once

#include <cstdio>

// ---- constants -------------------------------------------------------------
// What a key read gives at end of input. No menu offers it, so a closed
// standard input falls through every menu at once instead of hanging.
constexpr int kConKeyEnd = -1;

// ---- functions -------------------------------------------------------------
// Flushes standard output, then reads one key press: no echo, no Enter. A key
// that sends several codes (arrows) gives them one call at a time.
int conReadKey();

// Flushes standard output, then reads a decimal number the player types and
// ends with Enter (echoed, as any typed line). The rest of that line is
// dropped so it cannot answer a later key read. Returns 1 when a number was
// read, 0 otherwise (value untouched).
int conReadInt(int* value);

// Reads from `in` instead of standard input (nullptr: standard input again).
void conSetInput(FILE* in);
