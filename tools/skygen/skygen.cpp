// skygen.cpp -- writes the sky images (six cube faces, the single face) and the cockpit jet.
// Usage: skygen <game-dir>   (small set there, large set under <game-dir>/large)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../common/bmp_writer.h"
#include "../common/noise.h"

// ---- types -----------------------------------------------------------------
struct Vec3 {
    double x, y, z;
};

struct Rgb {
    double r, g, b;
};

// A cube face as the game draws it: the world points at texture corners
// (0,0), (1,0) and (0,1); every texel's direction follows from them, so
// neighbouring faces agree along their shared edge.
struct FaceFrame {
    const char* file;
    Vec3        origin, sAxis, tAxis;
};

// ---- data ------------------------------------------------------------------
constexpr double D = 1.0;  // the cube's half-width, in units of its own

static const FaceFrame sgFaces[] = {
    // file       corner (0,0)     to (1,0)         to (0,1)
    {"_FR.bmp", {-D, -D, -D},  { 2,  0,  0},  { 0,  2,  0}},
    {"_BK.bmp", { D, -D,  D},  {-2,  0,  0},  { 0,  2,  0}},
    {"_UP.bmp", {-D,  D, -D},  { 2,  0,  0},  { 0,  0,  2}},
    {"_LF.bmp", {-D, -D,  D},  { 0,  0, -2},  { 0,  2,  0}},
    {"_RT.bmp", { D, -D, -D},  { 0,  0,  2},  { 0,  2,  0}},
    {"_DN.bmp", { D, -D, -D},  {-2,  0,  0},  { 0,  0,  2}},
};
static_assert(sizeof sgFaces / sizeof *sgFaces == 6);

// Ahead and low, straight over the middle of the front face: with linear
// filtering the GL wraps each face's edge onto its opposite edge, and a
// glow centred on one face keeps those edges alike on every face.
static const Vec3 sgSun = {0.0, 0.339, -0.941};

// ---- sky -------------------------------------------------------------------
static double sgClamp(double v, double lo = 0.0, double hi = 1.0) { return std::min(hi, std::max(lo, v)); }
static Rgb    sgMix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

static Vec3 sgUnit(Vec3 v)
{
    double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}

// The sky seen in direction `d`: a blue dome paling to a hazy horizon, a
// low sun with its glow, drifting clouds on a plane overhead, and a dusky
// ground haze below the horizon.
static Rgb sgSky(Vec3 d)
{
    d = sgUnit(d);
    // The ground haze is a dusky blue-grey: with linear
    // filtering the wrapped texture repeats a side face's bottom row along
    // its top edge, and a haze near the sky's own tone keeps that line faint.
    const Rgb zenith = {0.16, 0.36, 0.72}, horizon = {0.74, 0.82, 0.90}, ground = {0.30, 0.34, 0.42};
    Rgb c;
    if (d.y >= 0) {
        c = sgMix(horizon, zenith, std::pow(sgClamp(d.y), 0.55));
        // clouds on a plane at height 1: further away towards the horizon
        double cx = d.x / (d.y + 0.08), cz = d.z / (d.y + 0.08);
        double n    = noiseFbm(cx * 1.6 + 10, cz * 1.6 + 10, 6, 7);
        double wisp = noiseFbm(cx * 5.0, cz * 5.0, 4, 19);
        double cover = sgClamp((n - 0.48) * 3.2 + (wisp - 0.5) * 0.6);
        cover *= sgClamp(d.y * 6.0);  // thin out into the haze
        Rgb cloud = sgMix({0.80, 0.82, 0.86}, {1.0, 0.99, 0.97}, sgClamp(n * 1.4 - 0.3));
        c = sgMix(c, cloud, cover * 0.9);
    } else {
        // smooth all the way down, so no knee shows where the haze is full
        double t = sgClamp(-d.y / 0.55);
        c = sgMix(horizon, ground, t * t * (3.0 - 2.0 * t));
    }
    double sun  = sgClamp(d.x * sgSun.x + d.y * sgSun.y + d.z * sgSun.z);
    double glow = std::pow(sun, 24.0) * 0.40 + std::pow(sun, 400.0) * 0.9;
    c = {c.r + glow * 1.0, c.g + glow * 0.93, c.b + glow * 0.78};
    return c;
}

static void sgPut(std::vector<uint8_t>& px, size_t at, Rgb c)
{
    px[at + 0] = (uint8_t)(sgClamp(c.b) * 255.0 + 0.5);
    px[at + 1] = (uint8_t)(sgClamp(c.g) * 255.0 + 0.5);
    px[at + 2] = (uint8_t)(sgClamp(c.r) * 255.0 + 0.5);
}

static void sgWrite(const std::string& path, int w, int h, const std::vector<uint8_t>& px)
{
    if (!bmpWrite(path.c_str(), w, h, px)) {
        fprintf(stderr, "skygen: cannot write %s\n", path.c_str());
        exit(1);
    }
}

// Texel centres run from half a texel in to half a texel short of the edge,
// exactly as the GL samples them, so an edge texel of one face and its
// neighbour's look the same way.
static void sgWriteFace(const std::string& dir, const FaceFrame& f, int size)
{
    std::vector<uint8_t> px((size_t)size * size * 3);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double s = (x + 0.5) / size, t = (y + 0.5) / size;
            Vec3 p = {f.origin.x + s * f.sAxis.x + t * f.tAxis.x, f.origin.y + s * f.sAxis.y + t * f.tAxis.y,
                      f.origin.z + s * f.sAxis.z + t * f.tAxis.z};
            sgPut(px, ((size_t)y * size + x) * 3, sgSky(p));
        }
    sgWrite(dir + "/" + f.file, size, size, px);
}

// The single face: a rectangle from x = -1 to 2 and y = -1 to 1 at z = -1 in
// eye space, looking ahead along -Z.
static void sgWriteSingle(const std::string& dir, int size)
{
    std::vector<uint8_t> px((size_t)size * size * 3);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double s = (x + 0.5) / size, t = (y + 0.5) / size;
            sgPut(px, ((size_t)y * size + x) * 3, sgSky({-1.0 + 3.0 * s, -1.0 + 2.0 * t, -1.0}));
        }
    sgWrite(dir + "/test1.bmp", size, size, px);
}

// ---- jet -------------------------------------------------------------------
// Shapes of the jet seen from behind, in a square from -1 to 1 (y up);
// each gives its coverage 0..1 at (x, y), softened over `aa`.
static double sgEllipse(double x, double y, double cx, double cy, double rx, double ry, double aa)
{
    double d = std::sqrt(((x - cx) / rx) * ((x - cx) / rx) + ((y - cy) / ry) * ((y - cy) / ry));
    return sgClamp((1.0 - d) / aa);
}

static double sgWing(double x, double y, double aa)
{
    // a swept wing: thick at the root, thinning to the tips, slight dihedral
    double ax   = std::min(std::fabs(x), 0.92);
    double mid  = -0.10 + 0.12 * ax;
    double half = 0.075 - 0.05 * ax;
    return sgClamp((half - std::fabs(y - mid)) / aa) * sgClamp((0.94 - std::fabs(x)) / aa);
}

static double sgTailplane(double x, double y, double aa)
{
    double ax = std::min(std::fabs(x), 0.5);
    return sgClamp((0.03 - std::fabs(y + 0.2 - 0.05 * ax)) / aa) * sgClamp((0.48 - std::fabs(x)) / aa);
}

static double sgFin(double x, double y, double side, double aa)
{
    // twin tail fins canted outwards
    double bx = side * (0.17 + (y - 0.02) * 0.38);
    double w  = 0.04 - 0.018 * sgClamp((y - 0.02) / 0.6);
    if (y < 0.0 || y > 0.62)
        return 0.0;
    return sgClamp((w - std::fabs(x - bx)) / aa) * sgClamp((0.62 - y) / aa);
}

static void sgWriteJet(const std::string& dir, int size)
{
    std::vector<uint8_t> jet((size_t)size * size * 3), mask((size_t)size * size * 3);
    const double aa = 3.0 / size;
    for (int py = 0; py < size; py++)
        for (int px = 0; px < size; px++) {
            double x = (px + 0.5) / size * 2 - 1, y = (py + 0.5) / size * 2 - 1;
            double body   = sgEllipse(x, y, 0.0, -0.08, 0.26, 0.19, aa);
            double canopy = sgEllipse(x, y, 0.0, 0.07, 0.10, 0.09, aa);
            double wing   = std::max(sgWing(x, y, aa), sgTailplane(x, y, aa));
            double fins   = std::max(sgFin(x, y, 1, aa), sgFin(x, y, -1, aa));
            double nozL   = sgEllipse(x, y, -0.11, -0.13, 0.085, 0.085, aa);
            double nozR   = sgEllipse(x, y, 0.11, -0.13, 0.085, 0.085, aa);
            double fireL  = sgEllipse(x, y, -0.11, -0.13, 0.055, 0.055, aa);
            double fireR  = sgEllipse(x, y, 0.11, -0.13, 0.055, 0.055, aa);
            double cover  = std::max({body, canopy, wing, fins});

            // grey airframe lit from above, darker canopy, dark nozzles with a hot core
            double light = 0.55 + 0.45 * sgClamp(y * 0.8 + 0.6);
            Rgb c = {0.52 * light, 0.56 * light, 0.60 * light};
            c = sgMix(c, {0.10, 0.14, 0.20}, canopy * 0.9);
            c = sgMix(c, {0.22, 0.22, 0.23}, std::max(nozL, nozR));
            double fire = std::max(fireL, fireR);
            double r = std::sqrt(std::min((x + 0.11) * (x + 0.11), (x - 0.11) * (x - 0.11)) + (y + 0.13) * (y + 0.13));
            c = sgMix(c, sgMix({1.0, 0.55, 0.15}, {1.0, 0.95, 0.75}, sgClamp(1.0 - r / 0.055)), fire);

            // The jet image is white where there is no jet (the picture
            // shows through the multiply); the mask is its coverage.
            size_t at = ((size_t)py * size + px) * 3;
            sgPut(jet, at, sgMix({1, 1, 1}, c, cover));
            sgPut(mask, at, {cover, cover, cover});
        }
    sgWrite(dir + "/jet.bmp", size, size, jet);
    sgWrite(dir + "/jetmask.bmp", size, size, mask);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <game-dir>\n", argv[0]);
        return 2;
    }
    const std::string small = argv[1], large = small + "/large";
    for (const FaceFrame& f : sgFaces) {
        sgWriteFace(small, f, 256);
        sgWriteFace(large, f, 512);
    }
    sgWriteSingle(small, 256);
    sgWriteSingle(large, 512);
    sgWriteJet(small, 256);
    sgWriteJet(large, 512);
    return 0;
}
