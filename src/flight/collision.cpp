// collision.cpp -- 5000 open squares on the ground plane, read from two text files.
#include "flight/collision.h"

#include <cstdint>
#include <cstdio>

#include "app/game_state.h"

// ---- constants -------------------------------------------------------------
constexpr int    kCollisionHalfWidth = 200;
constexpr double kCollisionStep      = 0.1;

// ---- data ------------------------------------------------------------------
// A field whose files could not be read holds no obstacle at all, rather
// than 5000 points at the origin.
static bool colFieldLoaded = false;

// ---- loading ---------------------------------------------------------------
// Fills `into` from `name`. A failed read keeps the last value read, so the
// rest of the table repeats it; `value` carries over from the file before.
// Returns the number of integers read.
static int colReadFile(const char* name, int* into, int& value)
{
    gs.collisionFile = fopen(name, "r");
    if (!gs.collisionFile)
        return -1;
    int read = 0;
    for (int i = 0; i < kCollisionPoints; i++) {
        if (fscanf(gs.collisionFile, "%d", &value) == 1)
            read++;
        into[i] = value;
    }
    fclose(gs.collisionFile);
    gs.collisionFile = nullptr;
    return read;
}

void loadCollisionField()
{
    int value = 0;
    int readX = colReadFile("arrx.txt", gs.collisionX, value);
    int readZ = colReadFile("arrz.txt", gs.collisionZ, value);

    // An arrz.txt that yields nothing repeats arrx.txt's last number, as any
    // failed read does; only a missing file or an arrx.txt without a single
    // number leaves nothing to go by.
    const char* bad = readX < 0 ? "arrx.txt cannot be opened" : readX == 0 ? "arrx.txt holds no number"
                    : readZ < 0 ? "arrz.txt cannot be opened" : nullptr;
    colFieldLoaded = bad == nullptr;
    if (bad)
        printf("\n%s: flying without obstacles. ", bad);
}

// ---- test ------------------------------------------------------------------
bool testCollision()
{
    if (!gs.collisionEnabled || !colFieldLoaded)
        return false;

    const double predX = gs.camX + gs.dirX * kCollisionStep * gs.speed;
    const double predZ = gs.camZ + gs.dirZ * kCollisionStep * gs.speed;
    for (int i = 0; i < kCollisionPoints; i++) {
        // Bounds in 64 bits: a point near the int limits must not overflow.
        const int64_t x = gs.collisionX[i], z = gs.collisionZ[i];
        if (x - kCollisionHalfWidth < predX && predX < x + kCollisionHalfWidth &&
            z - kCollisionHalfWidth < predZ && predZ < z + kCollisionHalfWidth) {
            printf("hit \n");
            gs.speed = -(gs.speed / 3);
            return true;
        }
    }
    return false;
}
