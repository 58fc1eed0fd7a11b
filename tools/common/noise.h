// noise.h -- deterministic value noise for the data generators (same output on every machine).
#pragma once

#include <cmath>
#include <cstdint>

inline uint32_t noiseHash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = (uint32_t)x * 0x8da6b343u ^ (uint32_t)y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

inline double noiseLattice(int32_t x, int32_t y, uint32_t seed)
{
    return (noiseHash(x, y, seed) & 0xffffff) / double(0xffffff);
}

// Smooth value noise in 0..1 with unit lattice spacing.
inline double noiseValue(double x, double y, uint32_t seed)
{
    double   fx = std::floor(x), fy = std::floor(y);
    int32_t  ix = (int32_t)fx, iy = (int32_t)fy;
    double   u = x - fx, v = y - fy;
    u = u * u * (3 - 2 * u);
    v = v * v * (3 - 2 * v);
    double a = noiseLattice(ix, iy, seed), b = noiseLattice(ix + 1, iy, seed);
    double c = noiseLattice(ix, iy + 1, seed), d = noiseLattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * u) + ((c + (d - c) * u) - (a + (b - a) * u)) * v;
}

// Fractal sum of `octaves` layers, 0..1.
inline double noiseFbm(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0; o < octaves; o++) {
        sum += amp * noiseValue(x, y, seed + (uint32_t)o * 101u);
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}
