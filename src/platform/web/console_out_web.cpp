// console_out_web.cpp -- console output in flight in the page: the panel takes every line at once.
#include "platform/console_out.h"

// ---- functions -------------------------------------------------------------
// The page's standard output is never slow to take text, so nothing waits
// for it and no buffer of its own is needed.
void conOutBeginFlight() {}
