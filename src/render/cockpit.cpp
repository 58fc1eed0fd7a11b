// cockpit.cpp -- two blended passes of one square: the mask added, then the jet multiplied in.
#include "render/cockpit.h"

#include <cstdio>
#include <GL/gl.h>

#include "app/game_state.h"
#include "assets/texture_table.h"

// ---- constants -------------------------------------------------------------
constexpr float kCockpitDistance = -15.0f;

// ---- data ------------------------------------------------------------------
static const float cockpitSquare[4][5] = {
    // s  t     x   y   z
    {0, 0,   -6, -6, -6},
    {1, 0,    6, -6, -6},
    {1, 1,    6,  6, -6},
    {0, 1,   -6,  6, -6},
};
static_assert(sizeof cockpitSquare / sizeof *cockpitSquare == 4);

// ---- functions -------------------------------------------------------------
static GLuint cockpitBuildPass(int textureNumber, GLenum srcFactor, GLenum dstFactor)
{
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
        glBindTexture(GL_TEXTURE_2D, gs.textureIds[textureNumber]);
        glBlendFunc(srcFactor, dstFactor);
        glBegin(GL_QUADS);
            glNormal3f(0.0f, 0.0f, 1.0f);
            for (const float* c : cockpitSquare) {
                glTexCoord2f(c[0], c[1]);
                glVertex3f(c[2], c[3], c[4]);
            }
        glEnd();
    glEndList();
    return list;
}

void buildCockpitOverlay()
{
    printf("Generating flares...");
    gs.jetMaskList = cockpitBuildPass(kTexJetMask, GL_ONE, GL_ONE);
    gs.jetList     = cockpitBuildPass(kTexJet, GL_DST_COLOR, GL_ZERO);
    printf("done!\n");
}

static void cockpitPlace()
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, kCockpitDistance);
    glRotatef(gs.bankAngle, 0.0f, 0.0f, 1.0f);
}

void drawCockpitOverlay()
{
    // picture + mask, then times the jet: where the mask is black and the
    // jet white the picture shows through unchanged.
    glPushMatrix();
        cockpitPlace();
        glEnable(GL_BLEND);
            glCallList(gs.jetMaskList);
        glDisable(GL_BLEND);
    glPopMatrix();

    // Same square, same depths: GL_LEQUAL lets the second pass land exactly on the first.
    glPushMatrix();
        cockpitPlace();
        glEnable(GL_BLEND);
        glDepthFunc(GL_LEQUAL);
            glCallList(gs.jetList);
        glDepthFunc(GL_LESS);
        glDisable(GL_BLEND);
    glPopMatrix();
}
