// world_constants.h -- the numbers of the world that the generators and the game both hold to.
#pragma once

// ---- constants -------------------------------------------------------------
constexpr int kWorldGrid            = 51;      // terrain vertices a side
constexpr int kWorldCells           = kWorldGrid - 1;
constexpr int kWorldHalf            = 12500;   // the terrain spans -12500..12500 on X and Z
constexpr int kWorldCollisionPoints = 5000;    // obstacle points the game reads from each file
constexpr int kWorldObstacleHalf    = 200;     // an obstacle is the open square this far round its point
constexpr int kWorldStartX          = 0;
constexpr int kWorldStartZ          = -10500;
constexpr int kWorldEyeHeight       = 80;      // the jet flies level at this height
