// test_collision.cpp -- the collision files, the square test, and the real field against the real flight.
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <GL/freeglut.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "flight/collision.h"
#include "flight/controls.h"
#include "flight/flight_model.h"
#include "support/gl_window.h"
#include "support/scratch.h"
#include "worldgen/world.h"  // the heightmap the terrain was generated from

using testing::HasSubstr;

// Loads the collision files from the working folder; returns what that printed.
static std::string load() { return capturedStdout(loadCollisionField); }

// Writes both collision files into the working folder, then loads them.
static std::string load(const std::string& x, const std::string& z)
{
    scratchWrite("arrx.txt", x);
    scratchWrite("arrz.txt", z);
    return load();
}

class CollisionFiles : public testing::Test {
protected:
    void SetUp() override
    {
        editionSelect(kKeyboardEdition);
        scratchEnter();
    }
    void TearDown() override { scratchLeave(); }
};

TEST_F(CollisionFiles, OnlyTheFirstFiveThousandAreRead)
{
    std::string x, z;
    for (int i = 0; i < 6000; i++) {
        x += std::to_string(i * 2) + (i % 7 ? " " : "\n");
        z += std::to_string(-i) + "\t";
    }
    EXPECT_EQ(load(x, z), "");
    EXPECT_EQ(gs.collisionX[0], 0);
    EXPECT_EQ(gs.collisionX[4999], 9998);
    EXPECT_EQ(gs.collisionZ[4999], -4999);
}

static std::string shortLine(const char* name, int read)
{
    return std::string("\n") + name + " holds " + std::to_string(read) +
           " of 5000 numbers: the rest repeat the last one read. ";
}

TEST_F(CollisionFiles, AFailedReadRepeatsTheLastValueAndIsReported)
{
    // Once a read fails nothing more is read: the token is left where it is.
    const struct {
        const char* x;
        const char* z;
        int         first[4];    // collisionX[0..3]
        int         readX, readZ;
        int         lastZ;       // collisionZ[4999]
    } cases[] = {
        {"  +5\n\t-7 \r\n 12 oops 40", "",  {5, -7, 12, 12},               3, 0, 12},
        {"5 - 7 8",                      "1", {5, 5, 5, 5},                  1, 1, 1},
        {"12-5 3",                       "9 8", {12, -5, 3, 3},              3, 2, 8},
        {"1 4294967297 3",               "2",   {1, 1, 1, 1},                1, 1, 2},
        {"2147483647 -2147483648 2147483648", "-0", {2147483647, -2147483648, -2147483648, -2147483648}, 2, 1, 0},
        {"7 -",                          "00000000000000000000042 x", {7, 7, 7, 7}, 1, 1, 42},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(load(c.x, c.z), shortLine("arrx.txt", c.readX) + shortLine("arrz.txt", c.readZ));
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(gs.collisionX[i], c.first[i]) << i;
        EXPECT_EQ(gs.collisionX[4999], c.first[3]);
        EXPECT_EQ(gs.collisionZ[4999], c.lastZ);
    }

    std::string x, z;
    for (int i = 0; i < 4000; i++) {
        x += std::to_string(1000 + i) + " ";
        z += std::to_string(i) + " ";
    }
    EXPECT_EQ(load(x, z + z), shortLine("arrx.txt", 4000));
    EXPECT_EQ(gs.collisionX[3999], 4999);
    EXPECT_EQ(gs.collisionX[4000], 4999);
    EXPECT_EQ(gs.collisionZ[4999], 999);
}

TEST_F(CollisionFiles, MissingOrEmptyFilesLeaveNoObstacle)
{
    EXPECT_THAT(load(), HasSubstr("arrx.txt cannot be opened"));  // neither file exists
    gs.camX = gs.camZ = 0;
    EXPECT_FALSE(testCollision());  // zeros everywhere must not make an obstacle at the origin

    EXPECT_THAT(load("", ""), HasSubstr("arrx.txt holds no number"));
    EXPECT_FALSE(testCollision());

    scratchWrite("arrx.txt", "0");
    unlink("arrz.txt");
    EXPECT_THAT(load(), HasSubstr("arrz.txt cannot be opened"));
    EXPECT_FALSE(testCollision());

    EXPECT_EQ(load("0", "0"), shortLine("arrx.txt", 1) + shortLine("arrz.txt", 1));
    EXPECT_TRUE(testCollision());  // a real point at the origin is one

    // A FIFO with no writer would block an open for ever: refused as missing.
    unlink("arrx.txt");
    ASSERT_EQ(mkfifo("arrx.txt", 0600), 0);
    EXPECT_THAT(load(), HasSubstr("arrx.txt cannot be opened"));
}

// ---- the test itself ---------------------------------------------------------
class CollisionTest : public testing::Test {
protected:
    void SetUp() override
    {
        editionSelect(kKeyboardEdition);
        scratchEnter();
        // point 0 at (1000, 1000), point 1 at (1100, 1000), the rest far away
        std::string x = "1000 1100 ", z = "1000 1000 ";
        for (int i = 2; i < 5000; i++) {
            x += "90000 ";
            z += "90000 ";
        }
        load(x, z);
        scratchLeave();
    }

    static bool hitsAt(int x, int z, int speed = 0)
    {
        gs.camX  = x;
        gs.camZ  = z;
        gs.speed = speed;
        bool hit = false;
        const std::string out = capturedStdout([&] { hit = testCollision(); });
        EXPECT_EQ(out, hit ? "hit \n" : "");
        return hit;
    }
};

TEST_F(CollisionTest, OpenSquaresOfHalfWidthTwoHundred)
{
    EXPECT_TRUE(hitsAt(1000, 1000));
    EXPECT_TRUE(hitsAt(801, 1199));
    EXPECT_FALSE(hitsAt(800, 1000));   // exactly 200 away on one axis
    EXPECT_FALSE(hitsAt(1000, 1200));
    EXPECT_FALSE(hitsAt(1300, 1000));  // the second square ends at 1300
    EXPECT_TRUE(hitsAt(1299, 1000));
}

TEST_F(CollisionTest, PredictedStepDecidesAndTheSpeedTurnsRound)
{
    gs.dirX = 1.0f;
    gs.dirZ = 0.0f;
    EXPECT_TRUE(hitsAt(0, 1000, 9000));   // 900 ahead lands in the square
    EXPECT_EQ(gs.speed, -3000);
    EXPECT_FALSE(hitsAt(0, 1000, 8000));  // 800 ahead is its edge
    EXPECT_TRUE(hitsAt(0, 1000, 8001));
    EXPECT_EQ(gs.speed, -2667);

    const int speeds[][2] = {{1000, -333}, {-333, 111}, {2, 0}, {-2, 0}};
    for (const auto& s : speeds) {
        hitsAt(1000 - (int)(s[0] * 0.1), 1000, s[0]);
        EXPECT_EQ(gs.speed, s[1]) << s[0];
    }
}

TEST_F(CollisionTest, LowerIndexWinsAndStandingStillHitsEveryFrame)
{
    gs.dirX = gs.dirZ = 0.0f;
    for (int frame = 0; frame < 3; frame++) {
        EXPECT_TRUE(hitsAt(1050, 1000, 0));  // inside both squares
        EXPECT_EQ(gs.speed, 0);
    }
    EXPECT_TRUE(hitsAt(1050, 1000, 600));
    EXPECT_EQ(gs.speed, -200);  // one reversal, not two
}

TEST_F(CollisionTest, SwitchedOffNeverHits)
{
    gs.collisionEnabled = false;
    EXPECT_FALSE(hitsAt(1000, 1000));
}

// ---- the real field against the real flight ---------------------------------
using CollisionField = GlTest;

TEST_F(CollisionField, RandomFlightNeverReachesHighGroundNorLeaves)
{
    scratchEnterDir(VORTAVIA_GAME_DIR);
    const std::string loaded = load();
    scratchLeave();
    ASSERT_EQ(loaded, "");

    gs.camX = gs.camZ = 0;
    gs.dirX = gs.dirZ = 0;
    gs.speed = 0;
    ASSERT_TRUE(testCollision());  // the middle of the plateau is covered
    gs.camX = 0;
    gs.camZ = -10500;
    ASSERT_FALSE(testCollision());  // the start is free

    std::mt19937 rng(20261207);
    const int    keys[] = {GLUT_KEY_LEFT, GLUT_KEY_RIGHT, GLUT_KEY_UP, GLUT_KEY_DOWN};
    bool         held[4] = {};
    const int    frames = 200000;
    // From the 15th press on the brake backs the jet away ever faster; a
    // wall hit backwards then throws it forwards a third as fast, and that
    // step is not tested again. The flight here stays within the brake's
    // first 14 presses, where it only stops the jet.
    int brakes = 0;
    int          hits = 0, badFrame = -1;
    testing::internal::CaptureStdout();
    for (int frame = 0; frame < frames && badFrame < 0; frame++) {
        int roll = (int)(rng() % 100);
        if (roll < 8) {
            int k = (int)(rng() % 4);
            if (k == 3 && !held[k] && ++brakes > 14)
                continue;
            if (held[k])
                onSpecialKeyUp(keys[k], 0, 0);
            else
                onSpecialKey(keys[k], 0, 0);
            held[k] = !held[k];
        } else if (roll < 10) {
            // what the sound throttle can set: up to (255 - 127) x 75
            gs.speed        = (int)(rng() % 129) * 75;
            gs.accelerating = true;
        }
        hits += testCollision();
        updateFlight();
        if (std::abs(gs.camX) > kWorldHalf || std::abs(gs.camZ) > kWorldHalf || worldSurfaceHeight(gs.camX, gs.camZ) > kWorldEyeHeight)
            badFrame = frame;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(badFrame, -1) << "over high ground or off the terrain at " << gs.camX << ", " << gs.camZ
                            << " (speed " << gs.speed << ", heading " << gs.heading << ")";
    EXPECT_GT(hits, 0);  // the walls were reached, and held
}
