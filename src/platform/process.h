// process.h -- the process's standard descriptors and signals, its clock and its environment.
#pragma once

// ---- functions -------------------------------------------------------------
// Puts /dev/null on whichever of descriptors 0, 1 and 2 the program was
// started without, so no file opened later (the X connection, a data file)
// takes their place and gets read or written as the console. Also keeps a
// console pipe whose reader went away from killing the game: the output is
// lost and the flight goes on.
void procGuardStandardFiles();

// From now on SIGINT, SIGTERM, SIGHUP and SIGQUIT no longer end the process
// at once: each is only noted, for the program to finish its work and then
// die of it. Where the program has not taken note within half a second,
// `lastWord` runs in the signal handler (async-signal-safe calls only) and
// the process dies of the signal all the same. A signal ignored when the
// process started (under nohup) stays ignored.
void procCatchStopSignals(void (*lastWord)());
// The stop signal noted since procCatchStopSignals, or 0; once it is told
// here, `lastWord` is no longer called for it.
int procStopSignal();
// True when `sig` is ignored now.
bool procSignalIgnored(int sig);
// Ends the process by `sig`, as if it had never been caught.
[[noreturn]] void procDieOf(int sig);

// Seconds on a clock that only goes forward, from an arbitrary start.
double procSeconds();
// Sleeps until procSeconds() reaches `seconds`; returns at once when it
// already has, and early when a signal comes, so a stop is seen in time.
void procSleepUntil(double seconds);

// The environment variable `name`, or nullptr when unset or empty.
const char* procEnvironment(const char* name);
