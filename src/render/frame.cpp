// frame.cpp -- the fixed order of a frame: clear, simulate, sky, HUD, terrain, cockpit, swap, tell.
#include "render/frame.h"

#include <GL/freeglut.h>

#include "app/game_state.h"
#include "flight/collision.h"
#include "flight/flight_model.h"
#include "render/cockpit.h"
#include "render/hud.h"

// ---- data ------------------------------------------------------------------
static struct {
    void (*afterSwap)() = nullptr;
} frame;

// ---- functions -------------------------------------------------------------
// The cube stands in the world, unlit; on a low-end card only it gets the
// nicer perspective correction.
static void frameSkyCube()
{
    glDisable(GL_LIGHTING);
        if (gs.lowEndPanorama)
            glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        glPushMatrix();
            glCallList(gs.skyboxList);
        glPopMatrix();
        if (gs.lowEndPanorama)
            glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glEnable(GL_LIGHTING);
}

// The single sky hangs in eye space: it never turns or moves with the jet.
static void frameSingleSky()
{
    glPushMatrix();
        glLoadIdentity();
        glCallList(gs.singleSkyList);
    glPopMatrix();
}

void renderFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // A hit turns the speed round before this frame's flight update uses it.
    // Paused, the world stands still but is drawn all the same.
    if (!gs.paused) {
        testCollision();
        updateFlight();
    }

    if (gs.panoramicSky)
        frameSkyCube();
    else
        frameSingleSky();
    drawHud();

    glPushMatrix();
        glCallList(gs.terrainList);
    glPopMatrix();

    drawCockpitOverlay();
    glutSwapBuffers();
    if (frame.afterSwap)
        frame.afterSwap();
}

void frameOnSwap(void (*hook)())
{
    frame.afterSwap = hook;
}
