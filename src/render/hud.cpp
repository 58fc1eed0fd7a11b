// hud.cpp -- measures the frame rate about once a second and draws the HUD line every frame.
#include "render/hud.h"

#include <cstdio>
#include <GL/freeglut.h>

#include "app/game_state.h"

// ---- constants -------------------------------------------------------------
constexpr int   kHudUpdateMs = 1000;  // a longer gap than this starts a new window
constexpr float kHudX        = 30.0f;
constexpr float kHudY        = 35.0f;

// ---- functions -------------------------------------------------------------
void drawBitmapString(float x, float y, void* font, const char* text)
{
    glRasterPos2f(x, y);
    for (const char* c = text; *c; c++)
        glutBitmapCharacter(font, (int)(signed char)*c);
}

void pushOverlayProjection()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 640.0, 480.0, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

void popOverlayProjection()
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
        glPopMatrix();
    popOverlayProjection();
}
