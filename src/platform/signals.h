// signals.h -- the signals that would end the game: ignored, caught and noted, or passed on after an undo.
#pragma once

// ---- functions -------------------------------------------------------------
// A console pipe whose reader went away must not kill the game: the output
// is lost and the flight goes on.
void sigIgnoreBrokenPipe();

// Until the stop signals are caught: SIGINT, SIGTERM, SIGHUP and SIGQUIT
// first run `undo` (async-signal-safe calls only; it puts the terminal
// back), then end the process as they would have. A signal ignored when the
// process started (under nohup) stays ignored. Set once; later calls do nothing.
void sigUndoOnEnd(void (*undo)());

// From now on SIGINT, SIGTERM, SIGHUP and SIGQUIT no longer end the process
// at once: each is only noted, for the program to finish its work and then
// die of it. Where the program has not taken note within half a second,
// `lastWord` runs in the signal handler (async-signal-safe calls only) and
// the process dies of the signal all the same. A signal ignored when the
// process started (under nohup) stays ignored.
void sigCatchStops(void (*lastWord)());
// The stop signal noted since sigCatchStops, or 0; once it is told
// here, `lastWord` is no longer called for it.
int sigStopCaught();
// Ends the process by `sig`, as if it had never been caught.
[[noreturn]] void sigDieOf(int sig);
