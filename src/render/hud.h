// hud.h -- the frame-rate and speed line in the top-left corner.
#pragma once

void drawHud();
void drawBitmapString(float x, float y, void* font, const char* text);

// A 640 by 480 overlay system, y downwards, mapped onto the viewport.
void pushOverlayProjection();
void popOverlayProjection();

// Formats the line for `frames` drawn over `elapsedMs` at `speed`.
void hudFormat(char* out, int size, int frames, int elapsedMs, int speed);
