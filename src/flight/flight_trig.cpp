// flight_trig.cpp -- sine and cosine in plain double arithmetic, the same on every platform and compiler.
//
// The polynomials and the reduction by pi/2 are FreeBSD's msun (k_sin.c,
// k_cos.c, e_rem_pio2.c), which carry this notice:
// ====================================================
// Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
//
// Developed at SunSoft, a Sun Microsystems, Inc. business.
// Permission to use, copy, modify, and distribute this
// software is freely granted, provided that this notice
// is preserved.
// ====================================================
#include "flight/flight_trig.h"

#include <cmath>
#include <cstdint>
#include <cstring>

// ---- constants -------------------------------------------------------------
// Odd polynomial for sin on [-pi/4, pi/4], error below 2^-58.
constexpr double kTrigS1 = -1.66666666666666324348e-01;
constexpr double kTrigS2 = 8.33333333332248946124e-03;
constexpr double kTrigS3 = -1.98412698298579493134e-04;
constexpr double kTrigS4 = 2.75573137070700676789e-06;
constexpr double kTrigS5 = -2.50507602534068634195e-08;
constexpr double kTrigS6 = 1.58969099521155010221e-10;
// Even polynomial for cos on [-pi/4, pi/4], error below 2^-58.
constexpr double kTrigC1 = 4.16666666666666019037e-02;
constexpr double kTrigC2 = -1.38888888888741095749e-03;
constexpr double kTrigC3 = 2.48015872894767294178e-05;
constexpr double kTrigC4 = -2.75573143513906633035e-07;
constexpr double kTrigC5 = 2.08757232129817482790e-09;
constexpr double kTrigC6 = -1.13596475577881948265e-11;
// pi/2 in three 33-bit parts and their tails, so that n * part is exact.
constexpr double kTrigToInt   = 1.5 / 2.220446049250313080847e-16;  // rounds to a whole number
constexpr double kTrigPio4    = 0x1.921fb54442d18p-1;
constexpr double kTrigInvPio2 = 6.36619772367581382433e-01;
constexpr double kTrigPio2_1  = 1.57079632673412561417e+00;
constexpr double kTrigPio2_1t = 6.07710050650619224932e-11;
constexpr double kTrigPio2_2  = 6.07710050630396597660e-11;
constexpr double kTrigPio2_2t = 2.02226624879595063154e-21;
constexpr double kTrigPio2_3  = 2.02226624871116645580e-21;
constexpr double kTrigPio2_3t = 8.47842766036889956997e-32;
// High words (sign cleared) of the bounds the cases below turn on.
constexpr uint32_t kTrigHighPio4      = 0x3fe921fb;  // |x| ~<= pi/4: no reduction
constexpr uint32_t kTrigHighSinTiny   = 0x3e500000;  // |x| < 2^-26: sin x rounds to x
constexpr uint32_t kTrigHighCosTiny   = 0x3e46a09e;  // |x| < 2^-27 * sqrt 2: cos x rounds to 1
constexpr uint32_t kTrigHighInfinite  = 0x7ff00000;
// Up to 2^20 * pi/2 the parts above reduce exactly. A heading gets no
// further than 2^22 (0.15 added to a float that large leaves it as it
// is), so beyond that bound it is reduced the same way, a little less
// exactly; only past 2^30, which no flight reaches, is the C library asked.
constexpr uint32_t kTrigHighMedium    = 0x413921fb;
constexpr double   kTrigMostReduced   = 0x1p30;

// ---- kernels ---------------------------------------------------------------
// sin(x + y) for |x| <= pi/4, y the tail of x.
static double trigSinKernel(double x, double y, bool hasTail)
{
    const double z = x * x;
    const double w = z * z;
    const double r = kTrigS2 + z * (kTrigS3 + z * kTrigS4) + z * w * (kTrigS5 + z * kTrigS6);
    const double v = z * x;
    if (!hasTail)
        return x + v * (kTrigS1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * kTrigS1);
}

// cos(x + y) for |x| <= pi/4, y the tail of x.
static double trigCosKernel(double x, double y)
{
    const double z  = x * x;
    const double w  = z * z;
    const double r  = z * (kTrigC1 + z * (kTrigC2 + z * kTrigC3)) + w * w * (kTrigC4 + z * (kTrigC5 + z * kTrigC6));
    const double hz = 0.5 * z;
    const double one = 1.0 - hz;
    return one + (((1.0 - one) - hz) + (z * r - x * y));
}

static uint64_t trigBits(double x)
{
    uint64_t bits;
    memcpy(&bits, &x, sizeof bits);
    return bits;
}

static uint32_t trigHighWord(double x)
{
    return (uint32_t)(trigBits(x) >> 32) & 0x7fffffff;
}

static int trigExponent(double x)
{
    return (int)(trigBits(x) >> 52 & 0x7ff);
}

// x - n * pi/2 as the sum y[0] + y[1], n the nearest whole number; returns n.
static int trigReduce(double x, double y[2])
{
    double fn = x * kTrigInvPio2 + kTrigToInt - kTrigToInt;
    double r  = x - fn * kTrigPio2_1;
    double w  = fn * kTrigPio2_1t;
    if (r - w < -kTrigPio4) {
        fn -= 1.0;
        r = x - fn * kTrigPio2_1;
        w = fn * kTrigPio2_1t;
    } else if (r - w > kTrigPio4) {
        fn += 1.0;
        r = x - fn * kTrigPio2_1;
        w = fn * kTrigPio2_1t;
    }
    y[0] = r - w;
    // Near a multiple of pi/2 the first part cancels: take the next ones.
    const int ex = (int)(trigHighWord(x) >> 20);
    if (ex - trigExponent(y[0]) > 16) {
        double t = r;
        w    = fn * kTrigPio2_2;
        r    = t - w;
        w    = fn * kTrigPio2_2t - ((t - r) - w);
        y[0] = r - w;
        if (ex - trigExponent(y[0]) > 49) {
            t    = r;
            w    = fn * kTrigPio2_3;
            r    = t - w;
            w    = fn * kTrigPio2_3t - ((t - r) - w);
            y[0] = r - w;
        }
    }
    y[1] = (r - y[0]) - w;
    return (int)fn;
}

// ---- functions -------------------------------------------------------------
double flightSin(double x)
{
    const uint32_t high = trigHighWord(x);
    if (high <= kTrigHighPio4)
        return high < kTrigHighSinTiny ? x : trigSinKernel(x, 0.0, false);
    if (high >= kTrigHighInfinite)
        return x - x;
    if (high >= kTrigHighMedium && std::fabs(x) >= kTrigMostReduced)
        return std::sin(x);
    double y[2];
    switch (trigReduce(x, y) & 3) {
    case 0:  return trigSinKernel(y[0], y[1], true);
    case 1:  return trigCosKernel(y[0], y[1]);
    case 2:  return -trigSinKernel(y[0], y[1], true);
    default: return -trigCosKernel(y[0], y[1]);
    }
}

double flightCos(double x)
{
    const uint32_t high = trigHighWord(x);
    if (high <= kTrigHighPio4)
        return high < kTrigHighCosTiny ? 1.0 : trigCosKernel(x, 0.0);
    if (high >= kTrigHighInfinite)
        return x - x;
    if (high >= kTrigHighMedium && std::fabs(x) >= kTrigMostReduced)
        return std::cos(x);
    double y[2];
    switch (trigReduce(x, y) & 3) {
    case 0:  return trigCosKernel(y[0], y[1]);
    case 1:  return -trigSinKernel(y[0], y[1], true);
    case 2:  return -trigCosKernel(y[0], y[1]);
    default: return trigSinKernel(y[0], y[1], true);
    }
}
