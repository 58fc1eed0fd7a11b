// terrain.h -- compiles the terrain tables with their material into one display list.
#pragma once

void buildTerrainList();
