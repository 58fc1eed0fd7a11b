// clock_posix.cpp -- the monotonic clock and sleeping on it, on POSIX.
#include "platform/clock.h"

#include <ctime>

// ---- functions -------------------------------------------------------------
double clkSeconds()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

void clkSleepUntil(double seconds)
{
    if (seconds <= clkSeconds())
        return;
    struct timespec due;
    due.tv_sec  = (time_t)seconds;
    due.tv_nsec = (long)((seconds - (double)due.tv_sec) * 1e9);
    if (due.tv_nsec >= 1000000000L)
        due.tv_nsec = 999999999L;
    // Absolute on the same clock as clkSeconds: no drift from the time
    // spent getting here.
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
}
