// icongen.cpp -- the menu icon: one drawing of the cockpit jet on a sky tile, written as hicolor PNGs and as an SVG.
// Usage: icongen <icons-dir> <size>...
//   writes <icons-dir>/hicolor/<size>x<size>/apps/vortavia.png for each size
//   and <icons-dir>/hicolor/scalable/apps/vortavia.svg
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../common/png_writer.h"

// ---- types -----------------------------------------------------------------
struct Rgba {
    uint8_t r, g, b, a;
};

struct Pt {
    double x, y;
};

// A linear paint runs from `from` at p0 to `to` at p1; a radial one from
// `from` at the centre p0 to `to` at distance `radius`; both are padded
// beyond their ends, as SVG's default spreadMethod is.
enum class PaintKind { Flat, Linear, Radial };
struct Paint {
    PaintKind kind;
    Rgba      from, to;
    Pt        p0, p1;
    double    radius;
};

// Polygons use `pts`; an ellipse has centre `at` and radii `size`; a
// rounded rectangle has corner `at`, `size` and corner radius `corner`.
enum class ShapeKind { Polygon, Ellipse, RoundRect };
struct Shape {
    ShapeKind       kind;
    std::vector<Pt> pts;
    Pt              at, size;
    double          corner;
    int             paint;
};

struct Drawing {
    std::vector<Paint> paints;
    std::vector<Shape> shapes;
};

// ---- the drawing -----------------------------------------------------------
// Canvas units, y down, as the SVG's viewBox; every coordinate is rounded to
// the two decimals the SVG prints, so both outputs draw the same numbers.
constexpr double kCanvas = 256.0;

static double igRound(double v) { return std::round(v * 100.0) / 100.0; }

// skygen's jet is drawn in a square from -1 to 1 with y up; the icon takes
// its shapes from there, scaled to fill the tile's width.
static Pt     igJet(double x, double y) { return {igRound(128.0 + 112.0 * x), igRound(150.0 - 112.0 * y)}; }
static double igJetLength(double v) { return igRound(112.0 * v); }

static Drawing igDrawing()
{
    Drawing d;
    const Rgba zenith = {41, 92, 184, 255}, horizon = {189, 209, 230, 255};
    const Rgba lit = {133, 143, 153, 255}, shade = {73, 79, 84, 255};
    const Rgba canopy = {34, 44, 59, 255}, nozzle = {56, 56, 59, 255};
    const Rgba flame = {255, 242, 191, 255}, flameEdge = {255, 140, 38, 255};

    d.paints.push_back({PaintKind::Linear, zenith, horizon, {128, 8}, {128, 248}, 0});        // 0 sky
    d.paints.push_back({PaintKind::Linear, shade, lit, igJet(0, -0.75), igJet(0, 0.5), 0});  // 1 airframe, lit from above
    d.paints.push_back({PaintKind::Flat, canopy, canopy, {}, {}, 0});                        // 2
    d.paints.push_back({PaintKind::Flat, nozzle, nozzle, {}, {}, 0});                        // 3
    for (double side : {-1.0, 1.0})                                                          // 4, 5 the two flames
        d.paints.push_back({PaintKind::Radial, flame, flameEdge, igJet(side * 0.11, -0.13), {}, igJetLength(0.055)});

    auto polygon = [&](std::vector<Pt> pts, int paint) { d.shapes.push_back({ShapeKind::Polygon, pts, {}, {}, 0, paint}); };
    auto ellipse = [&](Pt c, double rx, double ry, int paint) {
        d.shapes.push_back({ShapeKind::Ellipse, {}, c, {igJetLength(rx), igJetLength(ry)}, 0, paint});
    };

    d.shapes.push_back({ShapeKind::RoundRect, {}, {8, 8}, {240, 240}, 40, 0});
    // Twin fins canted outwards: skygen's centre line and taper, from the
    // root at y = 0 to the tip at y = 0.62.
    for (double s : {-1.0, 1.0}) {
        double root = s * (0.17 - 0.02 * 0.38), tip = s * (0.17 + 0.60 * 0.38);
        polygon({igJet(root - 0.04, 0), igJet(root + 0.04, 0), igJet(tip + 0.022, 0.62), igJet(tip - 0.022, 0.62)}, 1);
    }
    // The tailplane and the swept wing: straight-edged bands, thick at the
    // root, with skygen's slope towards the tips.
    polygon({igJet(-0.48, -0.206), igJet(0, -0.23), igJet(0.48, -0.206),
             igJet(0.48, -0.146), igJet(0, -0.17), igJet(-0.48, -0.146)}, 1);
    polygon({igJet(-0.94, -0.0186), igJet(0, -0.175), igJet(0.94, -0.0186),
             igJet(0.94, 0.0394), igJet(0, -0.025), igJet(-0.94, 0.0394)}, 1);
    ellipse(igJet(0, -0.08), 0.26, 0.19, 1);  // the body
    ellipse(igJet(0, 0.07), 0.10, 0.09, 2);   // the canopy
    for (double side : {-1.0, 1.0})
        ellipse(igJet(side * 0.11, -0.13), 0.085, 0.085, 3);
    for (int i = 0; i < 2; i++)
        ellipse(igJet((i ? 1 : -1) * 0.11, -0.13), 0.055, 0.055, 4 + i);
    return d;
}

// ---- rasterising -------------------------------------------------------------
static bool igInside(const Shape& s, Pt p)
{
    switch (s.kind) {
    case ShapeKind::Ellipse: {
        double dx = (p.x - s.at.x) / s.size.x, dy = (p.y - s.at.y) / s.size.y;
        return dx * dx + dy * dy <= 1.0;
    }
    case ShapeKind::RoundRect: {
        if (p.x < s.at.x || p.y < s.at.y || p.x > s.at.x + s.size.x || p.y > s.at.y + s.size.y)
            return false;
        // distance beyond the inner rectangle whose corners are the arcs' centres
        double ix = std::max({0.0, s.at.x + s.corner - p.x, p.x - (s.at.x + s.size.x - s.corner)});
        double iy = std::max({0.0, s.at.y + s.corner - p.y, p.y - (s.at.y + s.size.y - s.corner)});
        return ix * ix + iy * iy <= s.corner * s.corner;
    }
    case ShapeKind::Polygon: {
        // even-odd crossings of a ray towards +x (SVG's default nonzero
        // rule agrees for these simple outlines)
        bool in = false;
        for (size_t i = 0, j = s.pts.size() - 1; i < s.pts.size(); j = i++) {
            const Pt &a = s.pts[i], &b = s.pts[j];
            if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
                in = !in;
        }
        return in;
    }
    }
    return false;
}

static void igBounds(const Shape& s, Pt& lo, Pt& hi)
{
    if (s.kind == ShapeKind::Polygon) {
        lo = hi = s.pts[0];
        for (const Pt& p : s.pts) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
        }
    } else if (s.kind == ShapeKind::Ellipse) {
        lo = {s.at.x - s.size.x, s.at.y - s.size.y};
        hi = {s.at.x + s.size.x, s.at.y + s.size.y};
    } else {
        lo = s.at;
        hi = {s.at.x + s.size.x, s.at.y + s.size.y};
    }
}

// The paint's colour at p, each channel 0..255.
static void igColour(const Paint& paint, Pt p, double out[4])
{
    double t = 0.0;
    if (paint.kind == PaintKind::Linear) {
        double vx = paint.p1.x - paint.p0.x, vy = paint.p1.y - paint.p0.y;
        t = ((p.x - paint.p0.x) * vx + (p.y - paint.p0.y) * vy) / (vx * vx + vy * vy);
    } else if (paint.kind == PaintKind::Radial) {
        t = std::hypot(p.x - paint.p0.x, p.y - paint.p0.y) / paint.radius;
    }
    t = std::clamp(t, 0.0, 1.0);
    const double a[4] = {(double)paint.from.r, (double)paint.from.g, (double)paint.from.b, (double)paint.from.a};
    const double b[4] = {(double)paint.to.r, (double)paint.to.g, (double)paint.to.b, (double)paint.to.a};
    for (int c = 0; c < 4; c++)
        out[c] = a[c] + (b[c] - a[c]) * t;
}

// Each shape covers a pixel by the share of an 8 by 8 grid of samples that
// falls inside it, and is laid over what is below it by that share, in
// premultiplied colour, the way SVG renderers antialias.
static std::vector<uint8_t> igRaster(const Drawing& d, int size)
{
    constexpr int grid = 8;
    const double  unit = kCanvas / size;
    std::vector<double> acc((size_t)size * size * 4, 0.0);
    for (const Shape& s : d.shapes) {
        Pt lo, hi;
        igBounds(s, lo, hi);
        int x0 = std::max(0, (int)std::floor(lo.x / unit)), x1 = std::min(size - 1, (int)std::floor(hi.x / unit));
        int y0 = std::max(0, (int)std::floor(lo.y / unit)), y1 = std::min(size - 1, (int)std::floor(hi.y / unit));
        for (int py = y0; py <= y1; py++)
            for (int px = x0; px <= x1; px++) {
                int inside = 0;
                for (int sy = 0; sy < grid; sy++)
                    for (int sx = 0; sx < grid; sx++)
                        inside += igInside(s, {(px + (sx + 0.5) / grid) * unit, (py + (sy + 0.5) / grid) * unit});
                if (!inside)
                    continue;
                double c[4];
                igColour(d.paints[(size_t)s.paint], {(px + 0.5) * unit, (py + 0.5) * unit}, c);
                double  alpha = c[3] / 255.0 * inside / (grid * grid);
                double* dst   = &acc[((size_t)py * size + px) * 4];
                for (int k = 0; k < 3; k++)
                    dst[k] = c[k] * alpha + dst[k] * (1.0 - alpha);
                dst[3] = alpha + dst[3] * (1.0 - alpha);
            }
    }
    std::vector<uint8_t> rgba(acc.size());
    for (size_t i = 0; i < acc.size(); i += 4) {
        double a = acc[i + 3];
        for (int k = 0; k < 3; k++)
            rgba[i + k] = (uint8_t)std::lround(a > 0 ? std::clamp(acc[i + k] / a, 0.0, 255.0) : 0.0);
        rgba[i + 3] = (uint8_t)std::lround(std::clamp(a * 255.0, 0.0, 255.0));
    }
    return rgba;
}

// ---- SVG ---------------------------------------------------------------------
static std::string igHex(Rgba c)
{
    char buf[8];
    snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
    return buf;
}

static std::string igNum(double v)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

static std::string igStop(double offset, Rgba c)
{
    std::string s = "<stop offset=\"" + igNum(offset) + "\" stop-color=\"" + igHex(c) + "\"";
    if (c.a != 255)
        s += " stop-opacity=\"" + igNum(c.a / 255.0) + "\"";
    return s + "/>";
}

static bool igWriteSvg(const char* path, const Drawing& d)
{
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
                      "<title>VORTAVIA 3D</title>\n<defs>\n";
    std::vector<std::string> fills;
    for (size_t i = 0; i < d.paints.size(); i++) {
        const Paint& p  = d.paints[i];
        std::string  id = "p" + std::to_string(i);
        if (p.kind == PaintKind::Flat) {
            std::string f = "fill=\"" + igHex(p.from) + "\"";
            if (p.from.a != 255)
                f += " fill-opacity=\"" + igNum(p.from.a / 255.0) + "\"";
            fills.push_back(f);
            continue;
        }
        if (p.kind == PaintKind::Linear)
            svg += "<linearGradient id=\"" + id + "\" gradientUnits=\"userSpaceOnUse\" x1=\"" + igNum(p.p0.x) + "\" y1=\"" +
                   igNum(p.p0.y) + "\" x2=\"" + igNum(p.p1.x) + "\" y2=\"" + igNum(p.p1.y) + "\">";
        else
            svg += "<radialGradient id=\"" + id + "\" gradientUnits=\"userSpaceOnUse\" cx=\"" + igNum(p.p0.x) + "\" cy=\"" +
                   igNum(p.p0.y) + "\" r=\"" + igNum(p.radius) + "\">";
        svg += igStop(0, p.from) + igStop(1, p.to);
        svg += p.kind == PaintKind::Linear ? "</linearGradient>\n" : "</radialGradient>\n";
        fills.push_back("fill=\"url(#" + id + ")\"");
    }
    svg += "</defs>\n";
    for (const Shape& s : d.shapes) {
        const std::string& fill = fills[(size_t)s.paint];
        if (s.kind == ShapeKind::Polygon) {
            std::string pts;
            for (const Pt& p : s.pts)
                pts += (pts.empty() ? "" : " ") + igNum(p.x) + "," + igNum(p.y);
            svg += "<polygon points=\"" + pts + "\" " + fill + "/>\n";
        } else if (s.kind == ShapeKind::Ellipse) {
            svg += "<ellipse cx=\"" + igNum(s.at.x) + "\" cy=\"" + igNum(s.at.y) + "\" rx=\"" + igNum(s.size.x) +
                   "\" ry=\"" + igNum(s.size.y) + "\" " + fill + "/>\n";
        } else {
            svg += "<rect x=\"" + igNum(s.at.x) + "\" y=\"" + igNum(s.at.y) + "\" width=\"" + igNum(s.size.x) +
                   "\" height=\"" + igNum(s.size.y) + "\" rx=\"" + igNum(s.corner) + "\" " + fill + "/>\n";
        }
    }
    svg += "</svg>\n";

    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    bool ok = fwrite(svg.data(), 1, svg.size(), f) == svg.size();
    return fclose(f) == 0 && ok;
}

// ---- main --------------------------------------------------------------------
static bool igMakeDir(const std::string& dir)
{
    std::error_code err;
    std::filesystem::create_directories(dir, err);
    return !err;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s <icons-dir> <size>...\n", argv[0]);
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/hicolor";
    const Drawing     d    = igDrawing();
    for (int i = 2; i < argc; i++) {
        char* end  = nullptr;
        long  size = strtol(argv[i], &end, 10);
        if (*argv[i] == '\0' || *end != '\0' || size < 1 || size > 4096) {
            fprintf(stderr, "icongen: bad size %s\n", argv[i]);
            return 2;
        }
        std::string dir = root + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        if (!igMakeDir(dir) || !pngWrite((dir + "/vortavia.png").c_str(), (int)size, (int)size, igRaster(d, (int)size))) {
            fprintf(stderr, "icongen: cannot write %s/vortavia.png\n", dir.c_str());
            return 1;
        }
    }
    const std::string scalable = root + "/scalable/apps";
    if (!igMakeDir(scalable) || !igWriteSvg((scalable + "/vortavia.svg").c_str(), d)) {
        fprintf(stderr, "icongen: cannot write %s/vortavia.svg\n", scalable.c_str());
        return 1;
    }
    return 0;
}
