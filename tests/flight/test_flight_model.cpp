// test_flight_model.cpp -- speed, heading and bank rules, and the camera they load.
#include <climits>
#include <cmath>
#include <vector>
#include <gtest/gtest.h>
#include <GL/gl.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "flight/flight_model.h"
#include "flight/flight_trig.h"
#include "sound/edition_sound.h"
#include "support/gl_window.h"

class FlightModel : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    static void frames(int n)
    {
        for (int i = 0; i < n; i++)
            updateFlight();
    }
};

// Each row sets the speed (kKeep: as the row before left it) and the
// throttle, flies some frames and finds the speed. The jet never turns,
// so it never leaves the start.
TEST_F(FlightModel, SpeedRulesOfTheKeyboardEdition)
{
    constexpr int kKeep = INT_MIN;
    const struct {
        const char* rule;
        int         from;
        bool        accelerating;
        int         frames, speed;
    } steps[] = {
        {"ThrottleClimbsToTheCeilingAndStays",      1000,  true,  35, 8000},
        {"ThrottleClimbsToTheCeilingAndStays",      kKeep, true,  5,  8000},
        {"ThrottleClimbsToTheCeilingAndStays",      7900,  true,  1,  8100},
        {"ThrottleClimbsToTheCeilingAndStays",      kKeep, true,  3,  8100},
        {"StandingJetIgnoresTheThrottle",           0,     true,  10, 0},
        {"KeyboardDecayStopsExactlyFromTheCeiling", 8000,  false, 40, 0},
        {"KeyboardDecayStopsExactlyFromTheCeiling", 150,   false, 3,  150},  // below the threshold: creeps on
        {"NegativeSpeedRecoversTowardsZero",        -333,  false, 1,  -133},
        {"NegativeSpeedRecoversTowardsZero",        kKeep, false, 1,  0},
        {"NegativeSpeedRecoversTowardsZero",        -150,  true,  1,  0},  // the throttle does not hurry it
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.rule << ": " << s.from << ", " << s.frames << " frames");
        if (s.from != kKeep)
            gs.speed = s.from;
        gs.accelerating = s.accelerating;
        frames(s.frames);
        EXPECT_EQ(gs.speed, s.speed);
        EXPECT_EQ(gs.camX, 0);
        EXPECT_EQ(gs.camZ, -10500);
    }
}

TEST_F(FlightModel, SoundEditionDecaysByFiftyDownToTheThreshold)
{
    editionSelect(kSoundEdition);
    EXPECT_FLOAT_EQ(gs.turnRate, kSoundEdition.startTurnRate);
    gs.turnRate = 0.0f;
    gs.speed    = 225;
    const int expected[] = {175, 125, 75, 25, 25, 25};
    for (int want : expected) {
        updateFlight();
        EXPECT_EQ(gs.speed, want);
    }
}

TEST_F(FlightModel, StepsTruncateTowardsZero)
{
    gs.dirX = 0.75f;
    gs.dirZ = 0.0f;
    gs.camX = 100;
    moveCamera(10);
    EXPECT_EQ(gs.camX, 100);
    gs.camX = -100;
    moveCamera(10);
    EXPECT_EQ(gs.camX, -99);
}

TEST_F(FlightModel, StepsAreFormedInDoubleAndTheLookAheadTakesTheSame)
{
    // In float, 3206 x -cos(0.15) rounds to a step that lands on 4683.
    setHeading(0.15f);
    gs.camX = 0;
    gs.camZ = 5000;
    const double ahead = gs.camZ + flightStep(3206, gs.dirZ);
    moveCamera(3206);
    EXPECT_EQ(gs.camZ, 4682);
    EXPECT_EQ(gs.camZ, (int)ahead);
}

TEST_F(FlightModel, DirectionIsZeroUntilTheFirstTurn)
{
    // Throttle before any turn: nothing moves, and the view is kept rather
    // than a camera looking at its own eye.
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    gs.speed        = 1000;
    gs.accelerating = true;
    frames(3);
    EXPECT_EQ(gs.camX, 0);
    EXPECT_EQ(gs.camZ, -10500);
    double m[16];
    glTestMatrix(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 1.0);
    EXPECT_EQ(m[14], 3.0);
    EXPECT_EQ(gs.speed, 1600);  // the speed counts up all the same
    gs.turnRate = 0.15f;
    frames(1);
    EXPECT_FLOAT_EQ(gs.dirX, (float)std::sin(0.15));
    EXPECT_FLOAT_EQ(gs.dirZ, (float)-std::cos(0.15));
    EXPECT_EQ(gs.dirY, 0.0f);
    EXPECT_EQ(gs.camY, 80);
}

TEST_F(FlightModel, BankFollowsTheFlagsInFiveDegreeSteps)
{
    gs.turnRate    = -0.15f;
    gs.turningLeft = true;
    const float left[] = {5, 10, 15, 20, 20};
    for (float want : left) {
        updateFlight();
        EXPECT_EQ(gs.bankAngle, want);
    }
    gs.turningRight = true;  // both held: 20 -> 15, then stays
    frames(1);
    EXPECT_EQ(gs.bankAngle, 15.0f);
    frames(4);
    EXPECT_EQ(gs.bankAngle, 15.0f);

    gs.turnRate  = 0.0f;
    gs.bankAngle = -20.0f;
    frames(1);
    EXPECT_EQ(gs.bankAngle, -15.0f);
    frames(3);
    EXPECT_EQ(gs.bankAngle, 0.0f);
}

TEST_F(FlightModel, HeadingIsNeverWrapped)
{
    gs.turnRate = 0.2f;
    frames(100);
    EXPECT_NEAR(gs.heading, 20.0f, 1e-3f);
}

// ---- what the camera leaves in the GL ---------------------------------------
static void eyeOf(const double m[16], double x, double y, double z, double out[3])
{
    for (int r = 0; r < 3; r++)
        out[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
}

TEST_F(FlightModel, SetHeadingLoadsTheLookAtMatrix)
{
    gs.camX = 300;
    setHeading((float)M_PI_2);  // looking along +X
    double m[16], p[3];
    glTestMatrix(GL_MODELVIEW_MATRIX, m);
    eyeOf(m, 300, 80, -10500, p);  // the eye itself
    EXPECT_NEAR(p[0], 0.0, 1e-2);
    EXPECT_NEAR(p[1], 0.0, 1e-6);
    EXPECT_NEAR(p[2], 0.0, 1e-2);
    eyeOf(m, 310, 80, -10500, p);  // ten units ahead
    EXPECT_NEAR(p[2], -10.0, 1e-2);
    eyeOf(m, 300, 90, -10500, p);  // up stays up
    EXPECT_NEAR(p[1], 10.0, 1e-6);
}

TEST_F(FlightModel, MoveCameraMovesTheEyeAndReloads)
{
    setHeading(0.0f);
    moveCamera(1000);
    EXPECT_EQ(gs.camZ, -10600);
    EXPECT_EQ(gs.camX, 0);
    double m[16];
    glTestMatrix(GL_MODELVIEW_MATRIX, m);
    // Heading 0 is the plain translation by the negated eye.
    EXPECT_NEAR(m[0], 1.0, 1e-9);
    EXPECT_NEAR(m[10], 1.0, 1e-9);
    EXPECT_NEAR(m[13], -80.0, 1e-6);
    EXPECT_NEAR(m[14], 10600.0, 1e-6);
}

TEST_F(FlightModel, QuietFrameLeavesTheMatrixAlone)
{
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    frames(3);
    double m[16];
    glTestMatrix(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 1.0);
    EXPECT_EQ(m[13], 2.0);
    EXPECT_EQ(m[14], 3.0);
}

// The game's own sine and cosine give, rounded to float, what the C library's
// gave: every heading a flight can reach (any mix of 0.15 turns, and a
// sweep of the floats between), so no recorded flight traces differently.
TEST(FlightTrig, FloatRoundedValuesMatchTheCLibrary)
{
    std::vector<float> headings = {0.0f, -0.0f, 1e-30f, 0.7853982f, 1.5707964f, 3.1415927f, 4194304.0f};
    for (float left = 0.0f, right = 0.0f; right < 20000.0f; left -= 0.15f, right += 0.15f)
        headings.insert(headings.end(), {left, right});
    for (float h = -4096.0f; h < 4096.0f; h = std::nextafter(h, 1e9f) + 0.0009765625f)
        headings.push_back(h);
    for (float h : headings) {
        ASSERT_EQ((float)flightSin(h), (float)std::sin((double)h)) << std::hexfloat << h;
        ASSERT_EQ((float)flightCos(h), (float)std::cos((double)h)) << std::hexfloat << h;
        ASSERT_NEAR(flightSin(h), std::sin((double)h), 2e-16) << std::hexfloat << h;
    }
}
