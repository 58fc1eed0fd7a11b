// controls.cpp -- arrow keys, Escape, pause, full screen and the viewport and texturing keys.
#include "flight/controls.h"

#include <cstdio>
#include <cstdlib>
#include <GL/freeglut.h>

#include "app/edition.h"
#include "app/game_state.h"

// ---- data ------------------------------------------------------------------
static struct {
    bool quitting = false;  // set once the game is on its way out
} ctl;

// ---- special keys ----------------------------------------------------------
// Game mode has a screen of its own, with no window to go back to.
static void ctlToggleFullScreen()
{
    if (!glutGameModeGet(GLUT_GAME_MODE_ACTIVE))
        glutFullScreenToggle();
}

void onSpecialKey(int key, int, int)
{
    switch (key) {
    case GLUT_KEY_LEFT:
        gs.turnRate    = -kCtlTurnRate;
        gs.turningLeft = true;
        break;
    case GLUT_KEY_UP:
        gs.speed        = kCtlThrottleSpeed;
        gs.accelerating = true;
        break;
    case GLUT_KEY_RIGHT:
        gs.turnRate     = kCtlTurnRate;
        gs.turningRight = true;
        break;
    case GLUT_KEY_DOWN:
        edition->downPress();
        break;
    case GLUT_KEY_F11:
        ctlToggleFullScreen();
        break;
    default:
        break;
    }
}

void onSpecialKeyUp(int key, int, int)
{
    switch (key) {
    case GLUT_KEY_LEFT:
        gs.turningLeft = false;
        gs.turnRate    = 0.0f;
        break;
    case GLUT_KEY_UP:
        gs.accelerating = false;
        break;
    case GLUT_KEY_RIGHT:
        gs.turningRight = false;
        gs.turnRate     = 0.0f;
        break;
    case GLUT_KEY_DOWN:
        edition->downRelease();
        break;
    default:
        break;
    }
}

void ctlBrakePress()
{
    gs.brakeLevel -= kCtlBrakeStep;
    gs.speed = (int)gs.brakeLevel;
}

void ctlBrakeRelease()
{
    gs.speed = 0;
}

void ctlReset()
{
    ctl = {};
}

// ---- ASCII keys ------------------------------------------------------------
void ctlReleaseOnExit()
{
    // Only the six sky faces are given back; the rest goes with the process.
    glDeleteTextures(6, &gs.textureIds[1]);
}

static void ctlGrowViewport()
{
    gs.viewportWidth += kCtlViewportStep;
    glViewport((int)(gs.viewportWidth / 8), (int)(gs.viewportWidth / 8),
               (int)gs.viewportWidth, (int)(gs.viewportWidth + 50));
}

static void ctlShrinkViewport()
{
    gs.viewportWidth -= kCtlViewportStep;
    glViewport(70, 190, 500, 320);
}

// The one way out of a running game: Escape, or the window being closed.
[[noreturn]] static void ctlQuit()
{
    ctl.quitting = true;
    ctlReleaseOnExit();
    exit(kCtlExitStatus);
}

void onWindowClose()
{
    // freeglut's own exit handler destroys the window too, and calls this
    // again from inside exit(): the textures are given back by then, and a
    // second exit() from an exit handler is undefined.
    if (ctl.quitting)
        return;
    // freeglut makes the closing window's context current before it calls
    // this, so the textures can still be given back.
    ctlQuit();
}

void onKey(unsigned char key, int, int)
{
    switch (key) {
    case kCtlEscapeKey:
        ctlQuit();
    case 'c':
        ctlGrowViewport();
        break;
    case 'v':
        ctlShrinkViewport();
        break;
    case 'e':
        glEnable(GL_TEXTURE_2D);
        break;
    case 't':
        glDisable(GL_TEXTURE_2D);
        break;
    case 'p':
        gs.paused = !gs.paused;
        break;
    case 'g':
        if (edition->keyG)
            edition->keyG();
        break;
    default:
        break;
    }
}
