// collision.cpp -- 5000 open squares on the ground plane, read from two text files.
#include "flight/collision.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "app/game_state.h"
#include "assets/world_constants.h"
#include "flight/flight_model.h"
#include "platform/file.h"

// ---- constants -------------------------------------------------------------
constexpr int kCollisionHalfWidth = kWorldObstacleHalf;

// ---- data ------------------------------------------------------------------
// A field whose files could not be read holds no obstacle at all, rather
// than 5000 points at the origin.
static struct {
    bool fieldLoaded = false;
} col;

// ---- loading ---------------------------------------------------------------
// One decimal integer as "%d" reads it (blanks, an optional sign, digits),
// except that a number too large for an int is no number rather than a
// wrapped one. False when there is no number here; the reading then stops
// for good, as if the token that failed were never consumed. Its own reader,
// not numRead: it reads a stream a character at a time, any blank (line
// breaks too) parts two numbers, and a number too large ends the reading
// instead of being kept as typed.
static bool colReadInt(FILE* in, int& value)
{
    int c;
    do
        c = getc(in);
    while (c != EOF && isspace(c));

    const bool negative = c == '-';
    if (c == '+' || c == '-')
        c = getc(in);
    if (c == EOF || !isdigit(c))
        return false;

    int64_t magnitude = 0;
    for (; c != EOF && isdigit(c); c = getc(in)) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > (int64_t)INT_MAX + 1)
            return false;
    }
    if (c != EOF)
        ungetc(c, in);  // it may start the next number ("12-5")
    const int64_t v = negative ? -magnitude : magnitude;
    if (v > INT_MAX)
        return false;
    value = (int)v;
    return true;
}

// Fills `into` from `name`. Once a read fails, the rest of the table repeats
// the last value read; `value` carries over from the file before. Returns
// the number of integers read, -1 when the file cannot be opened.
static int colReadFile(const char* name, int* into, int& value)
{
    gs.collisionFile = fileOpenDataStream(name);
    if (!gs.collisionFile)
        return -1;
    int  read    = 0;
    bool reading = true;
    for (int i = 0; i < kCollisionPoints; i++) {
        reading = reading && colReadInt(gs.collisionFile, value);
        read += reading;
        into[i] = value;
    }
    fileCloseDataStream(gs.collisionFile);
    gs.collisionFile = nullptr;
    return read;
}

// A file that stops early still fills the table, by its last number (or
// arrx.txt's, for an arrz.txt with none): say so, or a wall can turn up
// where there is none, or vanish.
static void colReportShort(const char* name, int read)
{
    if (read >= 0 && read < kCollisionPoints)
        printf("\n%s holds %d of %d numbers: the rest repeat the last one read. ", name, read,
               kCollisionPoints);
}

void loadCollisionField()
{
    int value = 0;
    int readX = colReadFile("arrx.txt", gs.collisionX, value);
    int readZ = colReadFile("arrz.txt", gs.collisionZ, value);

    // Only a missing file or an arrx.txt without a single number leaves
    // nothing to go by.
    const char* bad = readX < 0 ? "arrx.txt cannot be opened" : readX == 0 ? "arrx.txt holds no number"
                    : readZ < 0 ? "arrz.txt cannot be opened" : nullptr;
    col.fieldLoaded = bad == nullptr;
    if (readX > 0)
        colReportShort("arrx.txt", readX);
    if (readX > 0 && readZ >= 0)
        colReportShort("arrz.txt", readZ);
    if (bad)
        printf("\n%s: flying without obstacles. ", bad);
}

void colReset()
{
    col = {};
}

// ---- test ------------------------------------------------------------------
bool testCollision()
{
    if (!gs.collisionEnabled || !col.fieldLoaded)
        return false;

    // Exactly the step the flight update would take, before truncation.
    const double predX = gs.camX + flightStep(gs.speed, gs.dirX);
    const double predZ = gs.camZ + flightStep(gs.speed, gs.dirZ);
    for (int i = 0; i < kCollisionPoints; i++) {
        // Bounds in 64 bits: a point near the int limits must not overflow.
        const int64_t x = gs.collisionX[i], z = gs.collisionZ[i];
        if (x - kCollisionHalfWidth < predX && predX < x + kCollisionHalfWidth &&
            z - kCollisionHalfWidth < predZ && predZ < z + kCollisionHalfWidth) {
            printf("hit \n");
            gs.consoleMidLine = false;
            gs.speed = -(gs.speed / 3);
            return true;
        }
    }
    return false;
}
