// sky_data.h -- the geometry of both skies, corner by corner.
#pragma once

// ---- types -----------------------------------------------------------------
struct SkyCorner {
    float s, t;
    float x, y, z;
};

struct SkyFace {
    int       textureNumber;
    float     normal[3];
    SkyCorner corners[4];
};

// ---- data ------------------------------------------------------------------
constexpr int kSkyCubeFaces      = 6;
constexpr int kSkySingleTriangles = 2;

extern const SkyFace   skyCubeFaces[kSkyCubeFaces];
extern const SkyCorner skySingleCorners[kSkySingleTriangles][3];
