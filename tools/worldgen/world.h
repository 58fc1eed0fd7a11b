// world.h -- the one description of the world: the canyon heightmap on the terrain grid.
#pragma once

#include "../../src/assets/world_constants.h"

// ---- constants -------------------------------------------------------------
constexpr double kWorldCell      = 500.0;
constexpr double kWorldPlateau   = 402.114;
constexpr double kWorldFloor     = -352.114;
constexpr double kWorldSlab      = 50.0;      // the under-side lies this far below

// ---- functions -------------------------------------------------------------
// Height of the upper-surface vertex at row i (Z = 12500 - 500 i), column j
// (X = -12500 + 500 j).
double worldVertexHeight(int i, int j);

// Height of the upper surface at (x, z), on the mesh's own triangles;
// outside the terrain it is that of the nearest edge.
double worldSurfaceHeight(double x, double z);

double worldVertexX(int j);
double worldVertexZ(int i);
