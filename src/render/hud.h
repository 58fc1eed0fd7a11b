// hud.h -- the frame-rate and speed line in the top-left corner.
#pragma once

void drawHud();

// Formats the line for `frames` drawn over `elapsedMs` at `speed`.
void hudFormat(char* out, int size, int frames, int elapsedMs, int speed);
