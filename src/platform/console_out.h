// console_out.h -- console output in flight: no frame ever waits for the console to take it.
#pragma once

// ---- functions -------------------------------------------------------------
// From now on standard output is written on a thread of its own: what the
// console does not take at once waits in a buffer (64 KiB), what does not
// fit there is dropped and counted, and one line tells how much once the
// console has taken the rest. The console itself
// is left as it is (a shared terminal stays blocking for the shell). On the
// way out the buffer gets a moment to drain, not more.
void conOutBeginFlight();
