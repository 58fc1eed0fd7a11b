// test_render.cpp -- the sky lists, the HUD line and the cockpit overlay drawn in a real GL context.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include <GL/freeglut.h>
#include <unistd.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "assets/texture_table.h"
#include "flight/collision.h"
#include "flight/flight_model.h"
#include "render/cockpit.h"
#include "render/frame.h"
#include "render/hud.h"
#include "render/sky.h"
#include "support/gl_window.h"
#include "support/scratch.h"

struct Pixel {
    int r, g, b;
};

// Every test starts from the scene state the game sets up, with texture
// objects of its own so the colours drawn tell which texture a face used.
class Render : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glGenTextures(kTextureCount, &gs.textureIds[1]);
        glViewport(0, 0, 400, 400);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(90.0, 1.0, 1.0, 200000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);  // exact texel colours; the frame test turns it on
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override
    {
        glDeleteTextures(kTextureCount, &gs.textureIds[1]);
        for (GLuint list : {gs.skyboxList, gs.singleSkyList, gs.terrainList, gs.jetMaskList, gs.jetList})
            if (list)
                glDeleteLists(list, 1);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }

    // Gives texture `number` a w x h image of RGB texels, bottom row first.
    static void image(int number, int w, int h, const std::vector<unsigned char>& rgb)
    {
        glBindTexture(GL_TEXTURE_2D, gs.textureIds[number]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }

    static Pixel pixel(int x, int y)
    {
        unsigned char p[3] = {};
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    static std::string quadrant(Pixel p, int number)
    {
        // red: the texture number, green: left or right half, blue: bottom or top
        if (std::abs(p.r - number * 25) > 3)
            return "texture " + std::to_string(p.r / 25);
        return std::string(p.g > 120 ? "right" : "left") + (p.b > 120 ? "-top" : "-bottom");
    }
};

// ---- sky -------------------------------------------------------------------
TEST_F(Render, SkyCubeShowsEachFaceUprightFromInside)
{
    // 2x2 images: red says the number, green the s half, blue the t half.
    for (int n = 1; n <= 6; n++)
        image(n, 2, 2, {(unsigned char)(n * 25), 60, 60, (unsigned char)(n * 25), 180, 60,
                        (unsigned char)(n * 25), 60, 180, (unsigned char)(n * 25), 180, 180});
    EXPECT_EQ(capturedStdout(buildSkybox), "Generating Skybox...done!");
    EXPECT_NE(gs.skyboxList, 0u);
    EXPECT_EQ(gs.singleSkyList, 0u);

    struct Look {
        double dx, dy, dz, ux, uy, uz;
        int    number;
        bool   side;
    };
    const Look looks[] = {
        { 0,  0, -1,   0, 1, 0,   1, true},   // ahead
        { 0,  0,  1,   0, 1, 0,   2, true},   // behind
        {-1,  0,  0,   0, 1, 0,   5, true},   // left
        { 1,  0,  0,   0, 1, 0,   6, true},   // a quarter turn right
        { 0,  1,  0,   0, 0, 1,   4, false},  // up
        { 0, -1,  0,   0, 0, 1,   3, false},  // down
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.number);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0, 0, 0, look.dx, look.dy, look.dz, look.ux, look.uy, look.uz);
        glCallList(gs.skyboxList);
        EXPECT_EQ(pixel(200, 200).r / 25, look.number);
        EXPECT_EQ(pixel(5, 5).r / 25, look.number);  // the face fills the view
        if (look.side) {
            // s grows to the viewer's right and t upwards: neither turned nor mirrored
            EXPECT_EQ(quadrant(pixel(100, 100), look.number), "left-bottom");
            EXPECT_EQ(quadrant(pixel(300, 100), look.number), "right-bottom");
            EXPECT_EQ(quadrant(pixel(100, 300), look.number), "left-top");
            EXPECT_EQ(quadrant(pixel(300, 300), look.number), "right-top");
        }
    }
    glLoadIdentity();
}

TEST_F(Render, SkyCubeStaysInTheWorldAndIsCulledFromOutside)
{
    for (int n = 1; n <= 6; n++)
        image(n, 1, 1, {(unsigned char)(n * 25), 0, 0});
    capturedStdout(buildSkybox);

    // From the start position the face ahead is 89500 away; still inside the far plane.
    glLoadIdentity();
    gluLookAt(0, 80, -10500, 0, 80, -10501, 0, 1, 0);
    glCallList(gs.skyboxList);
    EXPECT_EQ(pixel(200, 200).r / 25, 1);

    // Beyond the front face, looking on: its back is culled, the far faces lie past the far plane.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0, 0, -100500, 0, 0, -100501, 0, 1, 0);
    glCallList(gs.skyboxList);
    EXPECT_EQ(pixel(200, 200).r, 0);
    glLoadIdentity();
}

TEST_F(Render, SingleSkyFillsTheHeightAndShowsTheLeftTwoThirds)
{
    // 6x2 image: red tells the third across, green the row.
    std::vector<unsigned char> rgb;
    for (int row = 0; row < 2; row++)
        for (int col = 0; col < 6; col++)
            rgb.insert(rgb.end(), {(unsigned char)(40 + col / 2 * 80), (unsigned char)(60 + row * 120), 0});
    image(1, 6, 2, rgb);
    EXPECT_EQ(capturedStdout(buildSingleSky), "Creating skies...done!\n");
    EXPECT_EQ(gs.skyboxList, 0u);

    // Drawn in eye space, whatever the camera: the same picture for any view.
    for (double heading : {0.0, 1.3}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(500, 80, 200, 500 + std::sin(heading), 80, 200 - std::cos(heading), 0, 1, 0);
        glPushMatrix();
            glLoadIdentity();
            glCallList(gs.singleSkyList);
        glPopMatrix();
        EXPECT_EQ(pixel(2, 2).r, 40);      // left edge: first third, bottom row
        EXPECT_EQ(pixel(2, 2).g, 60);
        EXPECT_EQ(pixel(2, 397).g, 180);   // top row at the top: upright
        EXPECT_EQ(pixel(397, 200).r, 120); // right edge: still the middle third
        for (int x = 0; x < 400; x += 7)
            ASSERT_NE(pixel(x, 200).r, 200) << "the last third shows at x " << x;
    }
    glLoadIdentity();
}

// ---- HUD -------------------------------------------------------------------
TEST(HudFormat, RateAndSpeedAsShownAndTheLongestLineFits)
{
    char text[kHudTextSize];
    hudFormat(text, sizeof text, 60, 1001, 1000);
    EXPECT_STREQ(text, "FPS:59.94 Speed: 1000");
    hudFormat(text, sizeof text, 1, 20000, 0);
    EXPECT_STREQ(text, "FPS:0.05 Speed: 0");
    hudFormat(text, sizeof text, 12000, 1001, -333);
    EXPECT_STREQ(text, "FPS:11988.01 Speed: -333");  // no width limit on big rates

    // The most frames an int can count over the shortest window, the most negative speed.
    hudFormat(text, sizeof text, INT_MAX, 1001, INT_MIN);
    EXPECT_STREQ(text, "FPS:2145338308.69 Speed: -2147483648");
    EXPECT_LT(strlen(text) + 1, sizeof gs.hudText);

    // A short buffer truncates rather than overruns.
    char tiny[8];
    memset(tiny, 'x', sizeof tiny);
    hudFormat(tiny, sizeof tiny, 60, 1001, 1000);
    EXPECT_STREQ(tiny, "FPS:59.");
}

TEST_F(Render, HudUpdatesOnlyAfterMoreThanASecond)
{
    gs.speed = 250;

    // The last update lies in the future of the clock: nothing is due yet.
    gs.lastFpsTime = glutGet(GLUT_ELAPSED_TIME) + 100000;
    drawHud();
    drawHud();
    EXPECT_EQ(gs.frameCount, 2);
    EXPECT_STREQ(gs.hudText, "");

    // Exactly 1000 ms is not enough, 1001 is; whichever the clock gave, the rule holds.
    bool sawExact = false, sawUpdate = false;
    for (int attempt = 0; attempt < 50 && !(sawExact && sawUpdate); attempt++) {
        const int gap    = attempt % 2 ? 1000 : 1001;
        const int before = glutGet(GLUT_ELAPSED_TIME);
        gs.frameCount    = 59;
        gs.lastFpsTime   = before - gap;
        gs.hudText[0]    = '\0';
        drawHud();
        const int measured = gs.frameTime - (before - gap);
        if (measured == 1000) {
            sawExact = true;
            EXPECT_EQ(gs.frameCount, 60);
            EXPECT_STREQ(gs.hudText, "");
            EXPECT_EQ(gs.lastFpsTime, before - gap);
        } else if (measured == 1001) {
            sawUpdate = true;
            EXPECT_EQ(gs.frameCount, 0);
            EXPECT_STREQ(gs.hudText, "FPS:59.94 Speed: 250");
            EXPECT_EQ(gs.lastFpsTime, gs.frameTime);
        }
    }
    EXPECT_TRUE(sawExact);
    EXPECT_TRUE(sawUpdate);
}

TEST_F(Render, HudDrawsTopLeftInPixelsAndRestoresTheMatrices)
{
    strcpy(gs.hudText, "FPS:1.00 Speed: 7");
    gs.lastFpsTime = glutGet(GLUT_ELAPSED_TIME) + 100000;
    glLoadIdentity();
    gluLookAt(10, 20, 30, 10, 20, 29, 0, 1, 0);
    double modelBefore[16], projBefore[16], modelAfter[16], projAfter[16];
    glTestMatrix(GL_MODELVIEW_MATRIX, modelBefore);
    glTestMatrix(GL_PROJECTION_MATRIX, projBefore);

    glViewport(0, 0, 320, 240);  // a quarter of the window: the line moves with it
    drawHud();
    float raster[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    // (30, 35) of 640x480, y downwards, then 8 pixels a character
    EXPECT_NEAR(raster[0], 30.0f / 2 + 8 * strlen(gs.hudText), 0.01f);
    EXPECT_NEAR(raster[1], 240 - 35.0f / 2, 0.01f);
    EXPECT_NEAR(raster[2], 0.5f, 0.001f);  // the middle of the depth range
    // Paused: a second line, 16 pixels lower whatever the viewport's size.
    gs.paused = true;
    drawHud();
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    EXPECT_NEAR(raster[0], 30.0f / 2 + 8 * strlen("PAUSED - press p to fly on"), 0.01f);
    EXPECT_NEAR(raster[1], 240 - 35.0f / 2 - 16, 0.01f);
    gs.paused = false;
    glViewport(0, 0, 400, 400);

    glTestMatrix(GL_MODELVIEW_MATRIX, modelAfter);
    glTestMatrix(GL_PROJECTION_MATRIX, projAfter);
    EXPECT_EQ(memcmp(modelBefore, modelAfter, sizeof modelAfter), 0);
    EXPECT_EQ(memcmp(projBefore, projAfter, sizeof projAfter), 0);
    EXPECT_EQ(glTestInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(glTestInteger(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(glTestInteger(GL_PROJECTION_STACK_DEPTH), 1);
    glLoadIdentity();
}

// ---- cockpit ---------------------------------------------------------------
TEST_F(Render, CockpitIsTwoEqualSquaresRolledByTheBank)
{
    image(8, 1, 1, {255, 255, 255});
    image(9, 1, 1, {0, 0, 0});
    EXPECT_EQ(capturedStdout(buildCockpitOverlay), "Generating flares...done!\n");

    for (float bank : {0.0f, 20.0f, -20.0f}) {
        SCOPED_TRACE(bank);
        gs.bankAngle = bank;
        glLoadIdentity();
        gluLookAt(3000, 80, 400, 3001, 80, 400, 0, 1, 0);  // the camera does not matter
        std::vector<GLfloat> fb(4096);
        glFeedbackBuffer((GLsizei)fb.size(), GL_3D, fb.data());
        glRenderMode(GL_FEEDBACK);
            drawCockpitOverlay();
        const int used = glRenderMode(GL_RENDER);

        // The corners of every polygon, in order; the GL may hand a quad over as two triangles.
        std::vector<std::vector<float>> polygons;
        for (int at = 0; at < used;) {
            ASSERT_EQ(fb[at], (GLfloat)GL_POLYGON_TOKEN);
            const int n = (int)fb[at + 1];
            polygons.emplace_back(fb.begin() + at + 2, fb.begin() + at + 2 + 3 * n);
            at += 2 + 3 * n;
        }
        // Two passes, the second exactly on the first.
        ASSERT_TRUE(polygons.size() == 2 || polygons.size() == 4) << polygons.size();
        const size_t half = polygons.size() / 2;
        for (size_t i = 0; i < half; i++)
            EXPECT_EQ(polygons[i], polygons[half + i]);

        // Four distinct corners centred on the view, 2/7 of its height
        // across, corner 1 -> 2 along the bank angle.
        std::vector<std::pair<float, float>> distinct;
        for (size_t i = 0; i < half; i++)
            for (size_t v = 0; v < polygons[i].size(); v += 3) {
                const std::pair<float, float> p = {polygons[i][v], polygons[i][v + 1]};
                if (std::find(distinct.begin(), distinct.end(), p) == distinct.end())
                    distinct.push_back(p);
            }
        ASSERT_EQ(distinct.size(), 4u);
        double cx = 0, cy = 0;
        for (const auto& p : distinct) {
            cx += p.first / 4;
            cy += p.second / 4;
        }
        EXPECT_NEAR(cx, 200.0, 0.01);
        EXPECT_NEAR(cy, 200.0, 0.01);
        const std::vector<float>& first = polygons[0];
        const double ex = first[3] - first[0], ey = first[4] - first[1];
        EXPECT_NEAR(std::hypot(ex, ey), 400.0 * 2 / 7, 0.05);
        EXPECT_NEAR(std::atan2(ey, ex) * 180 / M_PI, bank, 0.01);
    }
    EXPECT_EQ(glTestInteger(GL_BLEND_SRC), GL_DST_COLOR);  // left by the image pass, blending off
    EXPECT_EQ(glTestInteger(GL_BLEND_DST), GL_ZERO);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glTestInteger(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_EQ(glTestInteger(GL_MODELVIEW_STACK_DEPTH), 1);
    glLoadIdentity();
}

TEST_F(Render, CockpitColourIsPicturePlusMaskTimesJet)
{
    struct Case {
        unsigned char mask[3], jet[3];
        int           expect[3];
    };
    // picture (102, 51, 153) everywhere behind the square
    const Case cases[] = {
        {{0, 0, 0},       {255, 255, 255}, {102, 51, 153}},  // outside the jet: unchanged
        {{255, 255, 255}, {51, 128, 204},  {51, 128, 204}},  // on the jet: the jet's colour
        {{51, 51, 51},    {128, 128, 128}, {77, 51, 102}},   // a soft edge: (p + m) * j
    };
    for (const Case& c : cases) {
        image(9, 1, 1, {c.mask[0], c.mask[1], c.mask[2]});
        image(8, 1, 1, {c.jet[0], c.jet[1], c.jet[2]});
        capturedStdout(buildCockpitOverlay);

        glClearColor(0.4f, 0.2f, 0.6f, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0, 0, 0, 0);
        drawCockpitOverlay();
        const Pixel centre = pixel(200, 200), outside = pixel(20, 20);
        EXPECT_NEAR(centre.r, c.expect[0], 2);
        EXPECT_NEAR(centre.g, c.expect[1], 2);
        EXPECT_NEAR(centre.b, c.expect[2], 2);
        EXPECT_EQ(outside.r, 102);
        glDeleteLists(gs.jetMaskList, 1);
        glDeleteLists(gs.jetList, 1);
        gs.jetMaskList = gs.jetList = 0;
    }
}

// ---- the frame -------------------------------------------------------------
// Whatever the sky mode, a frame leaves the state it found: lighting on,
// blending off, GL_LESS, GL_MODELVIEW, both matrices and their stacks.
TEST_F(Render, FrameLeavesTheSceneStateAsItFoundIt)
{
    gs.hudFont = GLUT_BITMAP_8_BY_13;
    for (int n = 1; n <= 9; n++)
        image(n, 1, 1, {200, 200, 200});
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    capturedStdout([] {
        buildSkybox();
        buildSingleSky();
        buildCockpitOverlay();
    });
    gs.terrainList = glGenLists(1);  // the terrain is not this test's business: an empty list
    glNewList(gs.terrainList, GL_COMPILE);
    glEndList();

    struct Mode {
        bool panoramic, lowEnd;
    };
    for (Mode mode : {Mode{false, false}, Mode{true, false}, Mode{true, true}}) {
        SCOPED_TRACE(mode.panoramic * 2 + mode.lowEnd);
        gs.panoramicSky   = mode.panoramic;
        gs.lowEndPanorama = mode.lowEnd;
        gs.bankAngle      = 15.0f;
        glLoadIdentity();
        gluLookAt(0, 80, -10500, 0, 80, -10501, 0, 1, 0);
        double modelBefore[16], projBefore[16], modelAfter[16], projAfter[16];
        glTestMatrix(GL_MODELVIEW_MATRIX, modelBefore);
        glTestMatrix(GL_PROJECTION_MATRIX, projBefore);

        renderFrame();

        glTestMatrix(GL_MODELVIEW_MATRIX, modelAfter);
        glTestMatrix(GL_PROJECTION_MATRIX, projAfter);
        EXPECT_EQ(memcmp(modelBefore, modelAfter, sizeof modelAfter), 0);
        EXPECT_EQ(memcmp(projBefore, projAfter, sizeof projAfter), 0);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_EQ(glTestInteger(GL_DEPTH_FUNC), GL_LESS);
        EXPECT_EQ(glTestInteger(GL_MATRIX_MODE), GL_MODELVIEW);
        EXPECT_EQ(glTestInteger(GL_PERSPECTIVE_CORRECTION_HINT), GL_FASTEST);
        EXPECT_EQ(glTestInteger(GL_MODELVIEW_STACK_DEPTH), 1);
        EXPECT_EQ(glTestInteger(GL_PROJECTION_STACK_DEPTH), 1);
    }
    glLoadIdentity();
    glDisable(GL_LIGHTING);
}

// A hit must turn the speed round before the same frame's flight update
// moves the jet; the other way round the jet first flies into the wall.
TEST_F(Render, FrameTestsTheStepAheadBeforeTheJetMoves)
{
    scratchEnter();
    scratchWrite("arrx.txt", "0");
    scratchWrite("arrz.txt", "-10700");
    capturedStdout(loadCollisionField);
    scratchLeave();

    gs.hudFont = GLUT_BITMAP_8_BY_13;
    for (GLuint* list : {&gs.singleSkyList, &gs.terrainList, &gs.jetMaskList, &gs.jetList}) {
        *list = glGenLists(1);  // what the lists draw is not this test's business
        glNewList(*list, GL_COMPILE);
        glEndList();
    }
    setHeading(0.0f);  // looking along -Z, at the obstacle 200 ahead
    gs.speed = 1000;
    gs.turnRate = 0.15f;
    // Paused, the frame is drawn with nothing tested and nothing moved.
    gs.paused = true;
    EXPECT_EQ(capturedStdout(renderFrame), "");
    EXPECT_EQ(gs.speed, 1000);
    EXPECT_EQ(gs.heading, 0.0f);
    EXPECT_EQ(gs.camZ, -10500);
    gs.paused = false;
    gs.turnRate = 0.0f;
    EXPECT_EQ(capturedStdout(renderFrame), "hit \n");
    EXPECT_EQ(gs.speed, -133);
    EXPECT_EQ(gs.camZ, -10486);  // backed off, never went nearer
    glLoadIdentity();
}
