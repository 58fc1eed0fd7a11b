// test_sky_images.cpp -- the generated sky faces meet without seams; the jet and its mask fit the two passes.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <gtest/gtest.h>

#include "assets/bmp_format.h"
#include "render/sky_data.h"
#include "support/scratch.h"

// ---- a reader of the files the generator writes ----------------------------
struct Image {
    int                        w = 0, h = 0;
    std::vector<unsigned char> bgr;  // bottom row first

    const unsigned char* at(int x, int y) const { return &bgr[((size_t)y * w + x) * 3]; }
    double mean() const
    {
        double sum = 0;
        for (unsigned char c : bgr)
            sum += c;
        return sum / (double)bgr.size();
    }
};

static Image readImage(const std::string& path)
{
    Image img;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return img;
    unsigned char        h[kBmpHeaderSize];
    const unsigned char* info = h + kBmpFileHeaderSize;
    auto u32 = [](const unsigned char* at) { return (int)(at[0] | at[1] << 8 | at[2] << 16 | at[3] << 24); };
    if (fread(h, 1, sizeof h, f) == sizeof h && h[0] == 'B' && h[1] == 'M'
        && info[kBmpInfoAtBitCount] == kBmpBitsPerPixel) {
        img.w = u32(info + kBmpInfoAtWidth);
        img.h = u32(info + kBmpInfoAtHeight);
        img.bgr.resize((size_t)img.w * img.h * 3);
        fseek(f, u32(h + kBmpAtOffBits), SEEK_SET);
        if (fread(img.bgr.data(), 1, img.bgr.size(), f) != img.bgr.size())
            img = Image{};
    }
    fclose(f);
    return img;
}

static std::string gamePath(const char* name) { return std::string(VORTAVIA_GAME_DIR) + "/" + name; }

static const char* faceFile(int textureNumber)
{
    static const char* const files[] = {"", "_FR.bmp", "_BK.bmp", "_DN.bmp", "_UP.bmp", "_LF.bmp", "_RT.bmp"};
    return files[textureNumber];
}

// ---- where the game puts each texel ----------------------------------------
struct V3 {
    double x, y, z;
};

// The face's world point at texture coordinate (s, t), from the game's own
// table: the corners at (0,0), (1,0) and (0,1) span the face.
static V3 facePoint(const SkyFace& f, double s, double t)
{
    V3 c[2][2] = {};
    for (const SkyCorner& k : f.corners)
        c[(int)k.s][(int)k.t] = {k.x, k.y, k.z};
    return {c[0][0].x + s * (c[1][0].x - c[0][0].x) + t * (c[0][1].x - c[0][0].x),
            c[0][0].y + s * (c[1][0].y - c[0][0].y) + t * (c[0][1].y - c[0][0].y),
            c[0][0].z + s * (c[1][0].z - c[0][0].z) + t * (c[0][1].z - c[0][0].z)};
}

// Which face a direction meets, and where on it, by inverting each face's span.
static bool faceHit(V3 d, int& face, double& s, double& t)
{
    const double m = std::fmax(std::fabs(d.x), std::fmax(std::fabs(d.y), std::fabs(d.z)));
    const double k = 100000.0 / m;
    const V3     p = {d.x * k, d.y * k, d.z * k};
    for (int f = 0; f < kSkyCubeFaces; f++) {
        const V3 o = facePoint(skyCubeFaces[f], 0, 0), a = facePoint(skyCubeFaces[f], 1, 0),
                 b = facePoint(skyCubeFaces[f], 0, 1);
        const V3 sa = {a.x - o.x, a.y - o.y, a.z - o.z}, tb = {b.x - o.x, b.y - o.y, b.z - o.z};
        const V3 r  = {p.x - o.x, p.y - o.y, p.z - o.z};
        const double ss = (r.x * sa.x + r.y * sa.y + r.z * sa.z) / (sa.x * sa.x + sa.y * sa.y + sa.z * sa.z);
        const double tt = (r.x * tb.x + r.y * tb.y + r.z * tb.z) / (tb.x * tb.x + tb.y * tb.y + tb.z * tb.z);
        const V3 q = facePoint(skyCubeFaces[f], ss, tt);
        if (std::fabs(q.x - p.x) + std::fabs(q.y - p.y) + std::fabs(q.z - p.z) < 1.0 && ss >= 0 && ss <= 1 &&
            tt >= 0 && tt <= 1) {
            face = f, s = ss, t = tt;
            return true;
        }
    }
    return false;
}

struct SeamStats {
    double meanDiff = 0, maxDiff = 0;
    int    samples  = 0;
};

// Each edge texel of every face against the texel just across the edge on
// its neighbour; `mirror` reads the neighbour's edge the wrong way round, as
// a control that the comparison can see a wrong orientation.
static SeamStats seams(const char* dir, bool mirror)
{
    Image faces[kSkyCubeFaces];
    for (int f = 0; f < kSkyCubeFaces; f++)
        faces[f] = readImage(std::string(dir) + "/" + faceFile(skyCubeFaces[f].textureNumber));
    SeamStats st;
    double    sum = 0;
    for (int f = 0; f < kSkyCubeFaces; f++) {
        const Image& a = faces[f];
        const int    n = a.w;
        if (n == 0 || a.h != n)
            return SeamStats{};
        for (int edge = 0; edge < 4; edge++)
            for (int i = 0; i < n; i++) {
                // texel centre on the edge, then a full texel past it, outside this face
                int x = edge == 0 ? i : edge == 1 ? n - 1 : edge == 2 ? i : 0;
                int y = edge == 0 ? 0 : edge == 1 ? i : edge == 2 ? n - 1 : i;
                double s = (x + 0.5) / n, t = (y + 0.5) / n;
                double os = s + (edge == 1 ? 1.0 : edge == 3 ? -1.0 : 0.0) / n;
                double ot = t + (edge == 2 ? 1.0 : edge == 0 ? -1.0 : 0.0) / n;
                int    g;
                double gs_, gt;
                if (!faceHit(facePoint(skyCubeFaces[f], os, ot), g, gs_, gt) || g == f)
                    return SeamStats{};
                const Image& b  = faces[g];
                int          bx = std::min(b.w - 1, (int)(gs_ * b.w));
                int          by = std::min(b.h - 1, (int)(gt * b.h));
                if (mirror) {
                    // along the shared edge the other way
                    if (bx == 0 || bx == b.w - 1)
                        by = b.h - 1 - by;
                    else
                        bx = b.w - 1 - bx;
                }
                const unsigned char *pa = a.at(x, y), *pb = b.at(bx, by);
                for (int c = 0; c < 3; c++) {
                    double d = std::fabs((double)pa[c] - pb[c]);
                    sum += d;
                    st.maxDiff = std::fmax(st.maxDiff, d);
                }
                st.samples++;
            }
    }
    st.meanDiff = sum / (3.0 * st.samples);
    return st;
}

// ---- tests -----------------------------------------------------------------
TEST(SkyImages, CubeFacesMeetWithoutSeams)
{
    for (const char* dir : {VORTAVIA_GAME_DIR, VORTAVIA_GAME_DIR "/large"}) {
        SCOPED_TRACE(dir);
        const SeamStats right = seams(dir, false);
        ASSERT_GT(right.samples, 0) << "faces missing, not square, or an edge without a neighbour";
        EXPECT_LT(right.meanDiff, 2.0);
        EXPECT_LT(right.maxDiff, 40.0);  // the sun's rim and cloud edges change fast
        const SeamStats wrong = seams(dir, true);
        EXPECT_GT(wrong.meanDiff, 4 * right.meanDiff + 3.0);
    }
}

TEST(SkyImages, SizesArePowersOfTwoAndTheLargeSetHasFourTimesThePixels)
{
    for (const char* name : {"_FR.bmp", "_BK.bmp", "_UP.bmp", "_DN.bmp", "_LF.bmp", "_RT.bmp", "test1.bmp",
                             "jet.bmp", "jetmask.bmp"}) {
        SCOPED_TRACE(name);
        const Image small = readImage(gamePath(name));
        const Image large = readImage(gamePath("large/") + name);
        ASSERT_GT(small.w, 0);
        ASSERT_GT(large.w, 0);
        for (const Image* img : {&small, &large}) {
            EXPECT_EQ(img->w & (img->w - 1), 0);
            EXPECT_EQ(img->h & (img->h - 1), 0);
        }
        EXPECT_GE((long)large.w * large.h, 4L * small.w * small.h);
    }
}

TEST(SkyImages, SkyIsBrightAboveAndDarkBelow)
{
    const Image up = readImage(gamePath("_UP.bmp")), down = readImage(gamePath("_DN.bmp"));
    const Image front = readImage(gamePath("_FR.bmp"));
    ASSERT_GT(up.w, 0);
    EXPECT_GT(up.mean(), down.mean() + 30);
    // upright: the upper half of a side face is the sky, the lower half the haze
    double lower = 0, upper = 0;
    for (int y = 0; y < front.h; y++)
        for (int x = 0; x < front.w; x++)
            (y < front.h / 2 ? lower : upper) += front.at(x, y)[0];  // blue
    EXPECT_GT(upper, lower);
}

TEST(SkyImages, JetAndMaskFitThePasses)
{
    for (const char* dir : {"", "large/"}) {
        SCOPED_TRACE(dir);
        const Image jet = readImage(gamePath(dir) + "jet.bmp"), mask = readImage(gamePath(dir) + "jetmask.bmp");
        ASSERT_GT(jet.w, 0);
        ASSERT_EQ(jet.w, mask.w);
        ASSERT_EQ(jet.h, mask.h);
        long covered = 0, total = (long)jet.w * jet.h;
        for (int y = 0; y < jet.h; y++)
            for (int x = 0; x < jet.w; x++) {
                const unsigned char *j = jet.at(x, y), *m = mask.at(x, y);
                ASSERT_TRUE(m[0] == m[1] && m[1] == m[2]) << "mask not grey at " << x << "," << y;
                if (m[0] == 0) {  // outside the jet the picture must come through unchanged
                    ASSERT_TRUE(j[0] == 255 && j[1] == 255 && j[2] == 255) << x << "," << y;
                }
                if (m[0] == 255)
                    covered++;
                if (x == 0 || y == 0 || x == jet.w - 1 || y == jet.h - 1) {
                    ASSERT_EQ(m[0], 0) << "the square's border would show at " << x << "," << y;
                }
            }
        EXPECT_GT(covered, total / 20);
        EXPECT_LT(covered, total / 2);
        // the airframe is darker than the white around it
        EXPECT_LT(jet.at(jet.w / 2, jet.h * 9 / 20)[1], 200);
    }
}

TEST(SkyImages, GeneratorIsDeterministic)
{
    scratchEnter();
    ASSERT_EQ(system("mkdir large && " VORTAVIA_SKYGEN " ."), 0);
    for (const char* name : {"_FR.bmp", "_DN.bmp", "test1.bmp", "jet.bmp", "jetmask.bmp", "large/_UP.bmp"}) {
        SCOPED_TRACE(name);
        const Image a = readImage(name), b = readImage(gamePath(name));
        ASSERT_GT(a.w, 0);
        EXPECT_TRUE(a.bgr == b.bgr);
    }
    scratchLeave();
}
