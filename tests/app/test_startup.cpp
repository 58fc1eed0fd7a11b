// test_startup.cpp -- scene set-up state, the reshape projection and the display choice.
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <GL/freeglut.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "app/startup.h"
#include "support/gl_window.h"
#include "support/scratch.h"

TEST(ReshapeAspect, WholeNumberQuotientForWideWindows)
{
    EXPECT_EQ(reshapeAspect(400, 400), 1.0);
    EXPECT_EQ(reshapeAspect(640, 480), 1.0);
    EXPECT_EQ(reshapeAspect(1024, 768), 1.0);
    EXPECT_EQ(reshapeAspect(1920, 1080), 1.0);
    EXPECT_EQ(reshapeAspect(799, 400), 1.0);
    EXPECT_EQ(reshapeAspect(800, 400), 2.0);
    EXPECT_EQ(reshapeAspect(1300, 400), 3.0);
}

TEST(ReshapeAspect, TallAndEmptyWindowsStayFinite)
{
    EXPECT_DOUBLE_EQ(reshapeAspect(300, 600), 0.5);
    EXPECT_EQ(reshapeAspect(400, 0), 1.0);
    EXPECT_EQ(reshapeAspect(0, 400), 1.0);
    EXPECT_EQ(reshapeAspect(0, 0), 1.0);
}

using Startup = GlTest;

TEST_F(Startup, ReshapeSetsViewportProjectionAndModelview)
{
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(5, 5, 5);
    onReshape(800, 400);

    int vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_THAT(vp, testing::ElementsAre(0, 0, 800, 400));

    EXPECT_EQ(glTestInteger(GL_MATRIX_MODE), GL_MODELVIEW);

    double mv[16], p[16];
    glTestMatrix(GL_MODELVIEW_MATRIX, mv);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(mv[i], i % 5 == 0 ? 1.0 : 0.0);

    // gluPerspective(90, 2, 1, 200000): f = 1/tan(45 deg) = 1.
    glTestMatrix(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[0], 0.5, 1e-9);
    EXPECT_NEAR(p[5], 1.0, 1e-9);
    EXPECT_NEAR(p[10], -(200000.0 + 1.0) / (200000.0 - 1.0), 1e-6);
    EXPECT_NEAR(p[14], -2.0 * 200000.0 / (200000.0 - 1.0), 1e-6);
    EXPECT_EQ(p[11], -1.0);

    onReshape(640, 480);
    glTestMatrix(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[0], 1.0, 1e-9);  // aspect 1, not 1.333

    onReshape(400, 0);  // minimised: still a usable projection
    glTestMatrix(GL_PROJECTION_MATRIX, p);
    for (double v : p)
        EXPECT_TRUE(std::isfinite(v));
}

TEST_F(Startup, InitSceneSetsTheFixedState)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const std::string out = capturedStdout(initScene);
    EXPECT_NE(out.find("\n\nLoading Complete!!\n\n"), std::string::npos);

    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_THAT(clear, testing::Each(0.0f));
    EXPECT_EQ(glTestInteger(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glTestInteger(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glTestInteger(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glTestInteger(GL_PERSPECTIVE_CORRECTION_HINT), GL_FASTEST);

    float pos[4], amb[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, pos);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, amb);
    EXPECT_EQ(pos[2], 1.0f);
    EXPECT_EQ(pos[3], 1.0f);
    EXPECT_FLOAT_EQ(amb[0], 1.8f);
    EXPECT_FLOAT_EQ(amb[3], 5.0f);
}

TEST_F(Startup, PerspectiveHintFollowsTheCardSettings)
{
    struct { bool high, lowEndPano; GLint hint; } cases[] = {
        {true,  false, GL_NICEST},
        {true,  true,  GL_FASTEST},
        {false, true,  GL_FASTEST},
        {false, false, GL_FASTEST},
    };
    for (auto c : cases) {
        editionSelect(kKeyboardEdition);
        gs.highEndCard    = c.high;
        gs.lowEndPanorama = c.lowEndPano;
        capturedStdout(initScene);
        EXPECT_EQ(glTestInteger(GL_PERSPECTIVE_CORRECTION_HINT), c.hint);
    }
}
