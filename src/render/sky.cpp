// sky.cpp -- the two sky lists; only the one the settings chose is ever built.
#include "render/sky.h"

#include <cstdio>
#include <GL/gl.h>

#include "app/game_state.h"
#include "render/sky_data.h"

static void skyCorner(const SkyCorner& c)
{
    glTexCoord2f(c.s, c.t);
    glVertex3f(c.x, c.y, c.z);
}

void buildSkybox()
{
    printf("Generating Skybox...");
    gs.skyboxList = glGenLists(1);
    glNewList(gs.skyboxList, GL_COMPILE);
        // Each face is its own primitive so the texture can change between them.
        for (const SkyFace& face : skyCubeFaces) {
            glBindTexture(GL_TEXTURE_2D, gs.textureIds[face.textureNumber]);
            glBegin(GL_QUADS);
                glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
                for (const SkyCorner& c : face.corners)
                    skyCorner(c);
            glEnd();
        }
    glEndList();
    printf("done!");
}

void buildSingleSky()
{
    printf("Creating skies...");
    gs.singleSkyList = glGenLists(1);
    glNewList(gs.singleSkyList, GL_COMPILE);
        glBindTexture(GL_TEXTURE_2D, gs.textureIds[1]);
        for (const auto& triangle : skySingleCorners) {
            glBegin(GL_TRIANGLES);
                glNormal3f(0.0f, 0.0f, 1.0f);
                for (const SkyCorner& c : triangle)
                    skyCorner(c);
            glEnd();
        }
    glEndList();
    printf("done!\n");
}
