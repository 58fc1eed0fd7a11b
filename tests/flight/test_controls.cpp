// test_controls.cpp -- the keyboard callbacks against the game state and the viewport.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <GL/freeglut.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "flight/controls.h"
#include "flight/flight_model.h"
#include "support/gl_window.h"

class Controls : public GlTest {
protected:
    static void viewport(int out[4]) { glGetIntegerv(GL_VIEWPORT, out); }
};

TEST_F(Controls, ArrowsSetTurnAndThrottle)
{
    onSpecialKey(GLUT_KEY_LEFT, 0, 0);
    EXPECT_FLOAT_EQ(gs.turnRate, -0.15f);
    EXPECT_TRUE(gs.turningLeft);

    onSpecialKey(GLUT_KEY_RIGHT, 0, 0);  // left still held
    EXPECT_FLOAT_EQ(gs.turnRate, 0.15f);
    EXPECT_TRUE(gs.turningLeft);
    EXPECT_TRUE(gs.turningRight);

    onSpecialKeyUp(GLUT_KEY_LEFT, 0, 0);  // either release stops the turn
    EXPECT_EQ(gs.turnRate, 0.0f);
    EXPECT_FALSE(gs.turningLeft);
    EXPECT_TRUE(gs.turningRight);

    onSpecialKey(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(gs.speed, 1000);
    EXPECT_TRUE(gs.accelerating);
    onSpecialKeyUp(GLUT_KEY_UP, 0, 0);
    EXPECT_FALSE(gs.accelerating);
    EXPECT_EQ(gs.speed, 1000);
}

TEST_F(Controls, UpAtTheCeilingStartsAgainFromAThousand)
{
    gs.speed = 8000;
    onSpecialKey(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(gs.speed, 1000);
    updateFlight();
    EXPECT_EQ(gs.speed, 1200);
}

TEST_F(Controls, BrakeRemembersEveryPress)
{
    const int expected[] = {0, -15, -30, -45};
    for (int want : expected) {
        onSpecialKey(GLUT_KEY_DOWN, 0, 0);
        EXPECT_EQ(gs.speed, want);
        onSpecialKeyUp(GLUT_KEY_DOWN, 0, 0);
        EXPECT_EQ(gs.speed, 0);
    }
    EXPECT_FLOAT_EQ(gs.brakeLevel, -45.0f);
}

TEST_F(Controls, BrakeWhileThrottleHeldStopsTheJet)
{
    onSpecialKey(GLUT_KEY_UP, 0, 0);
    onSpecialKey(GLUT_KEY_DOWN, 0, 0);
    EXPECT_EQ(gs.speed, 0);
    EXPECT_TRUE(gs.accelerating);
    updateFlight();
    EXPECT_EQ(gs.speed, 0);
}

TEST_F(Controls, OtherSpecialKeysAreIgnored)
{
    const GameState before = gs;
    onSpecialKey(GLUT_KEY_F1, 0, 0);
    onSpecialKeyUp(GLUT_KEY_PAGE_UP, 0, 0);
    EXPECT_EQ(gs.speed, before.speed);
    EXPECT_EQ(gs.turnRate, before.turnRate);
    EXPECT_EQ(gs.brakeLevel, before.brakeLevel);
}

TEST_F(Controls, ViewportKeys)
{
    int vp[4];
    onKey('c', 0, 0);
    viewport(vp);
    EXPECT_FLOAT_EQ(gs.viewportWidth, 850.0f);
    EXPECT_THAT(vp, testing::ElementsAre(106, 106, 850, 900));

    editionSelect(kKeyboardEdition);
    onKey('v', 0, 0);
    viewport(vp);
    EXPECT_FLOAT_EQ(gs.viewportWidth, 750.0f);
    EXPECT_THAT(vp, testing::ElementsAre(70, 190, 500, 320));
    onKey('c', 0, 0);
    viewport(vp);
    EXPECT_THAT(vp, testing::ElementsAre(100, 100, 800, 850));
}

TEST_F(Controls, NegativeWidthLeavesTheViewportAsItWas)
{
    for (int i = 0; i < 18; i++)
        onKey('v', 0, 0);
    int before[4], after[4];
    viewport(before);
    onKey('c', 0, 0);  // -100 + 50: the GL refuses it
    while (glGetError() != GL_NO_ERROR) {}
    viewport(after);
    EXPECT_FLOAT_EQ(gs.viewportWidth, -50.0f);
    EXPECT_THAT(after, testing::ElementsAreArray(before));
}

TEST_F(Controls, TexturingAndPauseKeysAndUpperCase)
{
    onKey('t', 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    onKey('E', 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    onKey('e', 0, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    onKey('T', 0, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    int before[4], after[4];
    viewport(before);
    onKey('C', 0, 0);
    onKey('V', 0, 0);
    onKey('g', 0, 0);  // unbound in this edition
    onKey('G', 0, 0);
    onKey('P', 0, 0);
    EXPECT_FALSE(gs.paused);
    onKey('p', 0, 0);
    EXPECT_TRUE(gs.paused);
    onKey('p', 0, 0);
    EXPECT_FALSE(gs.paused);
    viewport(after);
    EXPECT_FLOAT_EQ(gs.viewportWidth, 800.0f);
    EXPECT_THAT(after, testing::ElementsAreArray(before));
}

TEST(ControlsExit, EscapeEndsWithStatusOne)
{
    // A forked child of a process with driver threads is not safe: re-run.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    glTestWindow();
    editionSelect(kKeyboardEdition);
    EXPECT_EXIT(onKey(27, 0, 0), testing::ExitedWithCode(1), "");
}
