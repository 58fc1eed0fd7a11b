// frame.h -- one call, one frame: step the world once and draw it.
#pragma once

void renderFrame();

// The one call after every frame's swap (nullptr: none): how the code that
// counts, traces, records and plays frames learns that one was drawn,
// without the frame loop knowing about it.
void frameOnSwap(void (*hook)());
