// sky_data.cpp -- the sky cube's six faces (drawing order) and the single-face sky.
#include "render/sky_data.h"

#include "assets/texture_table.h"

constexpr float D = 100000.0f;  // the cube's half-width
constexpr float R = 200000.0f;  // the single sky's right edge lies twice as far out

// Every face is wound counter-clockwise seen from inside, its normal inwards.
const SkyFace skyCubeFaces[kSkyCubeFaces] = {
    // texture        normal           s  t     x   y   z
    {kTexSkyFront, { 0,  0,  1}, {{0, 0,   -D, -D, -D}, {1, 0,    D, -D, -D}, {1, 1,    D,  D, -D}, {0, 1,   -D,  D, -D}}},
    {kTexSkyBack,  { 0,  0, -1}, {{1, 0,   -D, -D,  D}, {1, 1,   -D,  D,  D}, {0, 1,    D,  D,  D}, {0, 0,    D, -D,  D}}},
    {kTexSkyUp,    { 0, -1,  0}, {{1, 1,    D,  D,  D}, {0, 1,   -D,  D,  D}, {0, 0,   -D,  D, -D}, {1, 0,    D,  D, -D}}},
    {kTexSkyLeft,  { 1,  0,  0}, {{1, 0,   -D, -D, -D}, {1, 1,   -D,  D, -D}, {0, 1,   -D,  D,  D}, {0, 0,   -D, -D,  D}}},
    {kTexSkyRight, {-1,  0,  0}, {{0, 0,    D, -D, -D}, {1, 0,    D, -D,  D}, {1, 1,    D,  D,  D}, {0, 1,    D,  D, -D}}},
    {kTexSkyDown,  { 0,  1,  0}, {{0, 1,    D, -D,  D}, {0, 0,    D, -D, -D}, {1, 0,   -D, -D, -D}, {1, 1,   -D, -D,  D}}},
};

// In eye space, 100000 in front of the eye.
const SkyCorner skySingleCorners[kSkySingleTriangles][3] = {
    // s  t     x   y   z
    {{0, 0,   -D, -D, -D}, {1, 0,    R, -D, -D}, {0, 1,   -D,  D, -D}},
    {{1, 0,    R, -D, -D}, {1, 1,    R,  D, -D}, {0, 1,   -D,  D, -D}},
};

static_assert(sizeof skyCubeFaces / sizeof *skyCubeFaces == 6);
static_assert(sizeof skySingleCorners / sizeof *skySingleCorners == 2);
