// frame.h -- one call, one frame: step the world once and draw it.
#pragma once

void renderFrame();
