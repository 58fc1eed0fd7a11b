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
    static const char* const names[2] = {"arrx.txt", "arrz.txt"};
    int* const               tables[2] = {gs.collisionX, gs.collisionZ};

    int value = 0;
    colFieldLoaded = true;
    for (int f = 0; f < 2; f++) {
        int read = colReadFile(names[f], tables[f], value);
        if (read <= 0) {
            printf("\n%s %s: flying without obstacles. ", names[f],
                   read < 0 ? "cannot be opened" : "holds no number");
            colFieldLoaded = false;
        }
    }
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
