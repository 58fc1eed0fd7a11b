// pacing.h -- --fps: at most N frames a second, slept out in the idle callback.
#pragma once

// ---- constants -------------------------------------------------------------
constexpr int kPaceMinFps = 1;
constexpr int kPaceMaxFps = 1000;

// ---- types -----------------------------------------------------------------
// When the next frame is due, on the monotonic clock (seconds).
struct PaceClock {
    double due     = 0.0;
    bool   running = false;
};

// ---- functions -------------------------------------------------------------
// The time to wait until before drawing a frame asked for at `now`, one
// `interval` after the last one was due; moves `clock` on to the frame
// after it. A frame that comes late is drawn at once, and the one after
// it is due sooner, so the rate stays on average; after a stall of more
// than a second the schedule starts afresh from `now` instead of drawing
// the missed frames at once.
double paceSchedule(PaceClock& clock, double now, double interval);

// Back to the start: no idle callback paced yet.
void paceReset();

// The idle callback to register: `idle` itself without --fps, else one
// that sleeps until the next frame is due and then calls `idle`.
void (*paceIdle(void (*idle)()))();
