// worldgen.cpp -- writes the terrain tables, the terrain texture and the collision points.
// Usage: worldgen <terrain_data.cpp> <game-dir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../src/assets/terrain_data.h"  // the counts the program compiles against
#include "../common/bmp_writer.h"
#include "../common/noise.h"
#include "world.h"

// ---- constants -------------------------------------------------------------
constexpr int kGridVertices  = kWorldGrid * kWorldGrid;  // 2601

constexpr int kNormalDown  = kGridVertices;      // the under-side
constexpr int kNormalWalls = kGridVertices + 1;  // +Z, +X, -Z, -X
constexpr int kNormalFacet = kGridVertices + 5;  // facet normals from here on

constexpr int kTerrainTexSmall = 512;
constexpr int kTerrainTexLarge = 1024;

// ---- types -----------------------------------------------------------------
struct Vec3 {
    double x, y, z;
};

struct Face {
    int v[3], n[3], t[3];
};

// ---- data ------------------------------------------------------------------
static std::vector<Vec3>                  wgVertices;
static std::vector<Vec3>                  wgNormals;
static std::vector<std::pair<double, double>> wgTexCoords;
static std::vector<Face>                  wgFaces;

// ---- helpers ---------------------------------------------------------------
static void wgFail(const char* what)
{
    fprintf(stderr, "worldgen: %s\n", what);
    exit(1);
}

static Vec3 wgSub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
static Vec3 wgCross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
static double wgDot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
static Vec3 wgUnit(Vec3 a)
{
    double l = std::sqrt(wgDot(a, a));
    return {a.x / l, a.y / l, a.z / l};
}

static int wgUpper(int i, int j) { return i * kWorldGrid + j; }
static int wgUnder(int i, int j) { return kGridVertices + i * kWorldGrid + j; }

static Vec3 wgFaceNormal(const int v[3])
{
    return wgUnit(wgCross(wgSub(wgVertices[v[1]], wgVertices[v[0]]), wgSub(wgVertices[v[2]], wgVertices[v[0]])));
}

static bool wgSlopeCell(int i, int j)
{
    double h = worldVertexHeight(i, j);
    return worldVertexHeight(i + 1, j) != h || worldVertexHeight(i, j + 1) != h ||
           worldVertexHeight(i + 1, j + 1) != h;
}

// ---- mesh ------------------------------------------------------------------
static void wgBuildVertices()
{
    for (int pass = 0; pass < 2; pass++)
        for (int i = 0; i < kWorldGrid; i++)
            for (int j = 0; j < kWorldGrid; j++)
                wgVertices.push_back({worldVertexX(j), worldVertexHeight(i, j) - pass * kWorldSlab, worldVertexZ(i)});
}

static void wgBuildTexCoords()
{
    // The upper grid; the under-side reuses it mirrored in s, the walls its
    // last row (t = 1) for their upper edge and one row of their own at t = 2.
    for (int i = 0; i < kWorldGrid; i++)
        for (int j = 0; j < kWorldGrid; j++)
            wgTexCoords.push_back({j / (double)kWorldCells, i / (double)kWorldCells});
    for (int k = 0; k < kWorldGrid; k++)
        wgTexCoords.push_back({k / (double)kWorldCells, 2.0});
}

static void wgUpperCell(int i, int j)
{
    const int a[3] = {wgUpper(i + 1, j), wgUpper(i, j), wgUpper(i + 1, j + 1)};
    const int b[3] = {wgUpper(i, j + 1), wgUpper(i + 1, j + 1), wgUpper(i, j)};
    const int ta[3] = {(i + 1) * kWorldGrid + j, i * kWorldGrid + j, (i + 1) * kWorldGrid + j + 1};
    const int tb[3] = {i * kWorldGrid + j + 1, (i + 1) * kWorldGrid + j + 1, i * kWorldGrid + j};
    Face fa = {{a[0], a[1], a[2]}, {a[0], a[1], a[2]}, {ta[0], ta[1], ta[2]}};
    Face fb = {{b[0], b[1], b[2]}, {b[0], b[1], b[2]}, {tb[0], tb[1], tb[2]}};
    wgFaces.push_back(fa);
    wgFaces.push_back(fb);
}

static void wgUnderCell(int i, int j)
{
    auto t = [](int r, int c) { return r * kWorldGrid + (kWorldCells - c); };
    Face fa = {{wgUnder(i, j + 1), wgUnder(i, j), wgUnder(i + 1, j + 1)},
               {kNormalDown, kNormalDown, kNormalDown},
               {t(i, j + 1), t(i, j), t(i + 1, j + 1)}};
    Face fb = {{wgUnder(i + 1, j), wgUnder(i + 1, j + 1), wgUnder(i, j)},
               {kNormalDown, kNormalDown, kNormalDown},
               {t(i + 1, j), t(i + 1, j + 1), t(i, j)}};
    wgFaces.push_back(fa);
    wgFaces.push_back(fb);
}

// One wall cell between edge vertices (ia, ja) and (ib, jb), `k` cells along
// the edge; wound counter-clockwise seen from outside.
static void wgWallCell(int ia, int ja, int ib, int jb, int k, int normal, Vec3 outward)
{
    const int ua = wgUpper(ia, ja), ub = wgUpper(ib, jb), la = wgUnder(ia, ja), lb = wgUnder(ib, jb);
    const int tua = kWorldCells * kWorldGrid + k, tub = kWorldCells * kWorldGrid + k + 1, tla = kGridVertices + k, tlb = kGridVertices + k + 1;
    Face f1 = {{la, lb, ub}, {normal, normal, normal}, {tla, tlb, tub}};
    Face f2 = {{la, ub, ua}, {normal, normal, normal}, {tla, tub, tua}};
    if (wgDot(wgFaceNormal(f1.v), outward) < 0) {
        std::swap(f1.v[1], f1.v[2]);
        std::swap(f1.t[1], f1.t[2]);
        std::swap(f2.v[1], f2.v[2]);
        std::swap(f2.t[1], f2.t[2]);
    }
    wgFaces.push_back(f1);
    wgFaces.push_back(f2);
}

static void wgBuildFaces()
{
    for (int i = 0; i < kWorldCells; i++)
        for (int j = 0; j < kWorldCells; j++)
            wgUpperCell(i, j);
    for (int i = 0; i < kWorldCells; i++)
        for (int j = 0; j < kWorldCells; j++)
            wgUnderCell(i, j);
    for (int k = 0; k < kWorldCells; k++)  // Z = 12500
        wgWallCell(0, k, 0, k + 1, k, kNormalWalls + 0, {0, 0, 1});
    for (int k = 0; k < kWorldCells; k++)  // X = 12500
        wgWallCell(k, kWorldCells, k + 1, kWorldCells, k, kNormalWalls + 1, {1, 0, 0});
    for (int k = 0; k < kWorldCells; k++)  // Z = -12500
        wgWallCell(kWorldCells, kWorldCells - k, kWorldCells, kWorldCells - 1 - k, k, kNormalWalls + 2, {0, 0, -1});
    for (int k = 0; k < kWorldCells; k++)  // X = -12500
        wgWallCell(kWorldCells - k, 0, kWorldCells - 1 - k, 0, k, kNormalWalls + 3, {-1, 0, 0});
}

// Upper-surface vertices get smooth normals (exactly up where the ground is
// flat), so the plateau and floor shade evenly; the faces of the canyon
// walls get facet normals so the wall edges stay crisp. The facets go on
// with the flat faces at the foot of the walls until the table is full.
static void wgBuildNormals()
{
    std::vector<Vec3> sum(kGridVertices, Vec3{0, 0, 0});
    for (int f = 0; f < 2 * kWorldCells * kWorldCells; f++) {  // the upper surface
        const Face& face = wgFaces[f];
        Vec3 n = wgCross(wgSub(wgVertices[face.v[1]], wgVertices[face.v[0]]),
                         wgSub(wgVertices[face.v[2]], wgVertices[face.v[0]]));
        for (int c = 0; c < 3; c++) {
            sum[face.v[c]].x += n.x;
            sum[face.v[c]].y += n.y;
            sum[face.v[c]].z += n.z;
        }
    }
    for (const Vec3& s : sum)
        wgNormals.push_back(wgUnit(s));
    wgNormals.push_back({0, -1, 0});
    wgNormals.push_back({0, 0, 1});
    wgNormals.push_back({1, 0, 0});
    wgNormals.push_back({0, 0, -1});
    wgNormals.push_back({-1, 0, 0});
    if ((int)wgNormals.size() != kNormalFacet) {
        fprintf(stderr, "worldgen: facet normals would start at %zu, not %d\n", wgNormals.size(), kNormalFacet);
        exit(1);
    }

    auto facet = [&](int f) {
        Face& face = wgFaces[f];
        int   n    = (int)wgNormals.size();
        wgNormals.push_back(wgFaceNormal(face.v));
        face.n[0] = face.n[1] = face.n[2] = n;
    };
    for (int i = 0; i < kWorldCells; i++)
        for (int j = 0; j < kWorldCells; j++)
            if (wgSlopeCell(i, j)) {
                facet(2 * (i * kWorldCells + j));
                facet(2 * (i * kWorldCells + j) + 1);
            }
    for (int i = 0; i < kWorldCells && (int)wgNormals.size() < kTerrainNormalCount; i++)
        for (int j = 0; j < kWorldCells && (int)wgNormals.size() < kTerrainNormalCount; j++) {
            bool foot = !wgSlopeCell(i, j) && worldVertexHeight(i, j) == kWorldFloor &&
                        ((i > 0 && wgSlopeCell(i - 1, j)) || (i < 49 && wgSlopeCell(i + 1, j)) ||
                         (j > 0 && wgSlopeCell(i, j - 1)) || (j < 49 && wgSlopeCell(i, j + 1)));
            if (foot) {
                facet(2 * (i * kWorldCells + j));
                facet(2 * (i * kWorldCells + j) + 1);
            }
        }
}

static void wgCheckMesh()
{
    if ((int)wgVertices.size() != kTerrainVertexCount || (int)wgNormals.size() != kTerrainNormalCount ||
        (int)wgTexCoords.size() != kTerrainTexCoordCount || (int)wgFaces.size() != kTerrainFaceCount)
        wgFail("table counts are off");
    int plateau = 0, floor = 0;
    for (int v = 0; v < kGridVertices; v++) {
        plateau += wgVertices[v].y == kWorldPlateau;
        floor += wgVertices[v].y == kWorldFloor;
    }
    if (plateau != 1807 || floor != 701)
        wgFail("the heightmap does not have 1807 plateau and 701 floor vertices");
}

// ---- output: terrain tables ------------------------------------------------
static void wgWriteTables(const char* path)
{
    FILE* f = fopen(path, "w");
    if (!f)
        wgFail("cannot write the terrain tables");
    fprintf(f, "// terrain_data.cpp -- written by tools/worldgen from the world description; do not edit.\n"
               "#include \"assets/terrain_data.h\"\n\n");

    fprintf(f, "const TerrainVertex terrainVertices[kTerrainVertexCount] = {\n"
               "    //        x            y            z       row col\n");
    for (int v = 0; v < kTerrainVertexCount; v++) {
        const Vec3& p = wgVertices[v];
        int         g = v % kGridVertices;
        fprintf(f, "    {%11.3ff, %11.3ff, %11.3ff},  // %s %2d %2d\n", p.x, p.y, p.z,
                v < kGridVertices ? "up" : "dn", g / kWorldGrid, g % kWorldGrid);
    }
    fprintf(f, "};\n\nconst TerrainNormal terrainNormals[kTerrainNormalCount] = {\n"
               "    //       x           y           z\n");
    for (int n = 0; n < kTerrainNormalCount; n++)
        fprintf(f, "    {%10.7ff, %10.7ff, %10.7ff},  // %d\n", wgNormals[n].x, wgNormals[n].y, wgNormals[n].z, n);
    fprintf(f, "};\n\nconst TerrainTexCoord terrainTexCoords[kTerrainTexCoordCount] = {\n"
               "    //    s        t\n");
    for (int t = 0; t < kTerrainTexCoordCount; t++)
        fprintf(f, "    {%6.2ff, %6.2ff},  // %d\n", wgTexCoords[t].first, wgTexCoords[t].second, t);
    fprintf(f, "};\n\nconst TerrainFace terrainFaces[kTerrainFaceCount] = {\n"
               "    //  vertex 0..2           normal 0..2          texcoord 0..2\n");
    for (int i = 0; i < kTerrainFaceCount; i++) {
        const Face& face = wgFaces[i];
        fprintf(f, "    {{%4d, %4d, %4d}, {%4d, %4d, %4d}, {%4d, %4d, %4d}},\n", face.v[0], face.v[1],
                face.v[2], face.n[0], face.n[1], face.n[2], face.t[0], face.t[1], face.t[2]);
    }
    fprintf(f, "};\n\n"
               "const TerrainMaterial terrainMaterials[kTerrainMaterialCount] = {\n"
               "    // ambient                       diffuse                          specular"
               "                            emission     alpha shininess\n"
               "    {{0.17647f, 0.17647f, 0.17647f}, {0.752941f, 0.752941f, 0.752941f},"
               " {0.1752941f, 0.1752941f, 0.1752941f}, {0, 0, 0}, 1.0f, 8.0f, -1},\n"
               "};\n\n"
               "const MaterialGroup terrainMaterialGroups[kTerrainMaterialGroupCount] = {\n"
               "    // material  faces\n"
               "    {0, %d},\n"
               "};\n", kTerrainFaceCount);
    if (fclose(f) != 0)
        wgFail("cannot write the terrain tables");
}

// ---- output: terrain texture -----------------------------------------------
static double wgClamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// The texture lies once over the terrain: s across X, t from Z = 12500 to
// -12500, first stored row at t = 0. So a texel shows what lies under it.
static void wgWriteTerrainTexture(const std::string& path, int size)
{
    std::vector<uint8_t> px((size_t)size * size * 3);
    const double span = 2 * kWorldHalf;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double wx = -kWorldHalf + span * (x + 0.5) / size;
            double wz = kWorldHalf - span * (y + 0.5) / size;
            double h  = worldSurfaceHeight(wx, wz);
            double e  = 12.0;
            double dx = worldSurfaceHeight(wx + e, wz) - worldSurfaceHeight(wx - e, wz);
            double dz = worldSurfaceHeight(wx, wz + e) - worldSurfaceHeight(wx, wz - e);
            double steep = wgClamp01(std::sqrt(dx * dx + dz * dz) / (2 * e) / 1.2);
            double up    = wgClamp01((h - kWorldFloor) / (kWorldPlateau - kWorldFloor));
            double n1    = noiseFbm(wx / 900.0, wz / 900.0, 5, 11);
            double n2    = noiseFbm(wx / 120.0, wz / 120.0, 3, 23);
            double strata = 0.5 + 0.5 * std::sin(h / 22.0 + n2 * 3.0);

            // sand on the floor, grass and scrub on the plateau, rock between
            double sand[3]  = {196 - 30 * n1, 168 - 28 * n1, 118 - 25 * n1};
            double grass[3] = {78 + 50 * n1, 110 + 45 * n1, 52 + 20 * n2};
            double rock[3]  = {122 + 35 * strata, 98 + 28 * strata, 80 + 20 * strata};
            double rgb[3];
            double t = up < 0.5 ? 0.0 : 1.0;
            for (int c = 0; c < 3; c++) {
                double ground = sand[c] + (grass[c] - sand[c]) * t;
                rgb[c] = ground + (rock[c] - ground) * steep;
                rgb[c] *= 0.85 + 0.3 * n2;
            }
            // Light from the north-west darkens walls that face away from it.
            double shade = wgClamp01(0.9 + 0.2 * (dx - dz) / (2 * e) / 1.2);
            uint8_t* p = &px[((size_t)y * size + x) * 3];
            p[0] = (uint8_t)std::clamp(rgb[2] * shade, 0.0, 255.0);
            p[1] = (uint8_t)std::clamp(rgb[1] * shade, 0.0, 255.0);
            p[2] = (uint8_t)std::clamp(rgb[0] * shade, 0.0, 255.0);
        }
    if (!bmpWrite(path.c_str(), size, size, px))
        wgFail("cannot write the terrain texture");
}

// ---- output: collision points ----------------------------------------------
// The test looks one step ahead at the speed before this frame's
// acceleration, so the step taken can be up to 20 units longer than the one
// tested; each square therefore answers for the ground a little beyond it.
constexpr double kCollisionReach = kWorldObstacleHalf + 60.0;

// The highest ground within `kCollisionReach` of (cx, cz) on either axis.
static double wgHighestUnder(double cx, double cz)
{
    double best = -1e9;
    for (int a = -26; a <= 26; a++)
        for (int b = -26; b <= 26; b++)
            best = std::max(best, worldSurfaceHeight(cx + a * kCollisionReach / 26.0, cz + b * kCollisionReach / 26.0));
    return best;
}

// Squares on a lattice finer than their width overlap, so every place is
// strictly inside one; a square goes in wherever ground in it rises above
// the eye, and all round the edge, so no step of up to 960 units can reach
// high ground or leave the terrain. The finest lattice that fits is used.
static void wgWriteCollision(const std::string& dir)
{
    const double reachBeyondEdge = 1000.0;
    std::vector<std::pair<int, int>> points;
    for (int spacing = 300; spacing < 400; spacing += 10) {
        points.clear();
        int n = (int)std::ceil((kWorldHalf + reachBeyondEdge) / spacing);
        for (int zi = -n; zi <= n; zi++)
            for (int xi = -n; xi <= n; xi++) {
                int  x = xi * spacing, z = zi * spacing;
                bool off = std::abs(x) + kWorldObstacleHalf > kWorldHalf || std::abs(z) + kWorldObstacleHalf > kWorldHalf;
                if (off || wgHighestUnder(x, z) > kWorldEyeHeight)
                    points.push_back({x, z});
            }
        if ((int)points.size() <= kWorldCollisionPoints)
            break;
    }
    if (points.empty() || (int)points.size() > kWorldCollisionPoints)
        wgFail("the collision field does not fit in 5000 points");
    for (const auto& p : points)
        if (std::abs(p.first - kWorldStartX) < kWorldObstacleHalf && std::abs(p.second - kWorldStartZ) < kWorldObstacleHalf)
            wgFail("the start position lies in a collision square");
    while ((int)points.size() < kWorldCollisionPoints)  // the reader takes exactly 5000
        points.push_back(points.back());

    FILE* fx = fopen((dir + "/arrx.txt").c_str(), "w");
    FILE* fz = fopen((dir + "/arrz.txt").c_str(), "w");
    if (!fx || !fz)
        wgFail("cannot write the collision files");
    for (size_t i = 0; i < points.size(); i++) {
        fprintf(fx, "%d%c", points[i].first, i % 10 == 9 ? '\n' : ' ');
        fprintf(fz, "%d%c", points[i].second, i % 10 == 9 ? '\n' : ' ');
    }
    if (fclose(fx) != 0 || fclose(fz) != 0)
        wgFail("cannot write the collision files");
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s <terrain_data.cpp> <game-dir>\n", argv[0]);
        return 2;
    }
    const std::string game = argv[2];
    wgBuildVertices();
    wgBuildTexCoords();
    wgBuildFaces();
    wgBuildNormals();
    wgCheckMesh();
    wgWriteTables(argv[1]);
    wgWriteTerrainTexture(game + "/l1.bmp", kTerrainTexSmall);
    wgWriteTerrainTexture(game + "/large/l1.bmp", kTerrainTexLarge);
    wgWriteCollision(game);
    return 0;
}
