// pacing.cpp -- --fps: schedules frames on the monotonic clock and sleeps out the time between.
#include "app/pacing.h"

#include "app/command_line.h"
#include "platform/clock.h"

// ---- constants -------------------------------------------------------------
constexpr double kPaceStallSeconds = 1.0;
// A frame late by less than one interval is never a stall.
static_assert(kPaceStallSeconds >= 1.0 / kPaceMinFps);

// ---- data ------------------------------------------------------------------
static struct {
    void (*idle)() = nullptr;
    PaceClock clock;
} pace;

// ---- functions -------------------------------------------------------------
double paceSchedule(PaceClock& clock, double now, double interval)
{
    // From the due time, not from the wake-up: a late wake-up is made up by
    // the next frame. A long stall is not: catching up would race the jet.
    if (!clock.running || now - clock.due > kPaceStallSeconds) {
        clock.due     = now;
        clock.running = true;
    }
    const double wake = clock.due > now ? clock.due : now;
    clock.due += interval;
    return wake;
}

void paceReset()
{
    pace = {};
}

static void pacedIdle()
{
    clkSleepUntil(paceSchedule(pace.clock, clkSeconds(), 1.0 / cmdSettings.fps));
    pace.idle();
}

void (*paceIdle(void (*idle)()))()
{
    if (cmdSettings.fps <= 0)
        return idle;
    pace.idle  = idle;
    pace.clock = {};
    return pacedIdle;
}
