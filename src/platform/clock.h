// clock.h -- a clock that only goes forward, and sleeping on it.
#pragma once

// ---- functions -------------------------------------------------------------
// Seconds on a clock that only goes forward, from an arbitrary start.
double clkSeconds();
// Sleeps until clkSeconds() reaches `seconds`; returns at once when it
// already has, and early when a signal comes, so a stop is seen in time.
void clkSleepUntil(double seconds);
