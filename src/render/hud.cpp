// hud.cpp -- measures the frame rate about once a second and draws the HUD line (and the pause line) every frame.
#include "render/hud.h"

#include <cstdio>
#include <GL/freeglut.h>

#include "app/game_state.h"

// ---- constants -------------------------------------------------------------
constexpr int   kHudUpdateMs = 1000;  // a longer gap than this starts a new window
constexpr float kHudX        = 30.0f;
constexpr float kHudY        = 35.0f;
constexpr float kHudLineStep = 16.0f;  // pixels from one line's baseline to the next
constexpr const char* kHudPausedText = "PAUSED - press p to fly on";

// ---- functions -------------------------------------------------------------
static void hudCharacters(void* font, const char* text)
{
    for (const char* c = text; *c; c++)
        glutBitmapCharacter(font, (int)(signed char)*c);
}

static void drawBitmapString(float x, float y, void* font, const char* text)
{
    glRasterPos2f(x, y);
    hudCharacters(font, text);
}

// The line under the HUD line. Its characters keep their pixel size in any
// window, so the step down is in pixels too: an empty bitmap moves the
// raster position by exactly that.
static void hudSecondLine(void* font, const char* text)
{
    glRasterPos2f(kHudX, kHudY);
    glBitmap(0, 0, 0.0f, 0.0f, 0.0f, -kHudLineStep, nullptr);
    hudCharacters(font, text);
}

// A 640 by 480 overlay system, y downwards, mapped onto the viewport.
static void pushOverlayProjection()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 640.0, 480.0, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

static void popOverlayProjection()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void hudFormat(char* out, int size, int frames, int elapsedMs, int speed)
{
    snprintf(out, (size_t)size, "FPS:%4.2f Speed: %d", frames * 1000.0 / (double)elapsedMs, speed);
}

void drawHud()
{
    gs.frameCount++;
    gs.frameTime = glutGet(GLUT_ELAPSED_TIME);
    if (gs.frameTime - gs.lastFpsTime > kHudUpdateMs) {
        hudFormat(gs.hudText, sizeof gs.hudText, gs.frameCount, gs.frameTime - gs.lastFpsTime, gs.speed);
        gs.lastFpsTime = gs.frameTime;
        gs.frameCount  = 0;
    }

    pushOverlayProjection();
        glPushMatrix();
            glLoadIdentity();
            drawBitmapString(kHudX, kHudY, gs.hudFont, gs.hudText);
            if (gs.paused)
                hudSecondLine(gs.hudFont, kHudPausedText);
        glPopMatrix();
    popOverlayProjection();
}
