// clock_web.cpp -- the page's monotonic clock, and sleeping on it while the browser goes on.
#include "platform/clock.h"

#include <emscripten.h>

// ---- functions -------------------------------------------------------------
double clkSeconds()
{
    return emscripten_get_now() / 1000.0;
}

void clkSleepUntil(double seconds)
{
    const double ms = (seconds - clkSeconds()) * 1000.0;
    if (ms <= 0.0)
        return;
    // The page must not freeze: the browser draws and takes keys meanwhile.
    emscripten_sleep((unsigned)ms);
}
