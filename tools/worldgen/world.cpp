// world.cpp -- the ring canyon: where the floor, its walls and the plateau lie.
#include "world.h"

#include <algorithm>
#include <cmath>

// ---- shape -----------------------------------------------------------------
// The floor ring spans rows and columns 3..48 around a central plateau of
// rows 7..44 and columns 8..42. The walls are one cell wide except where a
// vertex of the table below stands half-way up: the two long side walls of
// the inner plateau (columns 7 and 43), the rounded corners of the ring and
// of the plateau, and one buttress on the north wall.
static bool worldInRing(int i, int j)
{
    bool outer = i >= 3 && i <= 48 && j >= 3 && j <= 48;
    bool inner = i >= 7 && i <= 44 && j >= 8 && j <= 42;
    return outer && !inner;
}

static bool worldOnWall(int i, int j)
{
    static const int corners[][2] = {
        // ring corners, outside        ring corners, inside          buttress
        {3, 3}, {3, 48}, {48, 3}, {48, 48}, {6, 7}, {6, 43}, {45, 7}, {45, 43}, {6, 25},
        // plateau corners, rounded off
        {7, 8}, {8, 8}, {7, 42}, {8, 42}, {44, 8}, {43, 8}, {44, 42}, {43, 42},
    };
    static_assert(sizeof corners / sizeof *corners == 17);
    if ((j == 7 || j == 43) && i >= 7 && i <= 44)
        return true;
    for (const auto& c : corners)
        if (c[0] == i && c[1] == j)
            return true;
    return false;
}

double worldVertexHeight(int i, int j)
{
    if (worldOnWall(i, j))
        return 0.5 * (kWorldPlateau + kWorldFloor);
    return worldInRing(i, j) ? kWorldFloor : kWorldPlateau;
}

double worldVertexX(int j)
{
    return -kWorldHalf + kWorldCell * j;
}

double worldVertexZ(int i)
{
    return kWorldHalf - kWorldCell * i;
}

double worldSurfaceHeight(double x, double z)
{
    // Cell (i, j) is split along its diagonal from (i, j) to (i+1, j+1),
    // as the mesh's two triangles split it.
    double gx = std::clamp((x + kWorldHalf) / kWorldCell, 0.0, (double)kWorldCells);
    double gz = std::clamp((kWorldHalf - z) / kWorldCell, 0.0, (double)kWorldCells);
    int    j  = std::min((int)gx, kWorldCells - 1);
    int    i  = std::min((int)gz, kWorldCells - 1);
    double u = gx - j, v = gz - i;
    double h00 = worldVertexHeight(i, j), h10 = worldVertexHeight(i + 1, j);
    double h01 = worldVertexHeight(i, j + 1), h11 = worldVertexHeight(i + 1, j + 1);
    if (v >= u)
        return h00 + (v - u) * (h10 - h00) + u * (h11 - h00);
    return h00 + (u - v) * (h01 - h00) + v * (h11 - h00);
}
