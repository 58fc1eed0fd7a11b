// flight_trig.h -- sine and cosine for the flight model, the same to the last bit in every build of the game.
#pragma once

// ---- functions -------------------------------------------------------------
// Within an ulp of the true value, like the C library's, but computed by
// the game's own code: C libraries differ in the last bit, and a recorded
// flight must replay to the same state on every platform it runs on.
double flightSin(double x);
double flightCos(double x);
