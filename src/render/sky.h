// sky.h -- compiles the sky cube or the single-face sky into a display list.
#pragma once

void buildSkybox();
void buildSingleSky();
