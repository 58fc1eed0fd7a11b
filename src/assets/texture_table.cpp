// texture_table.cpp -- creates every texture object once, at scene set-up.
#include "assets/texture_table.h"

#include <cstdio>
#include <GL/gl.h>

#include "app/game_state.h"
#include "assets/bmp_loader.h"
#include "platform/console.h"

// ---- data ------------------------------------------------------------------
struct TexFile {
    int         number;
    const char* small;
    const char* large;
};

// Load order of the sky cube's faces, then what every configuration loads.
static const TexFile texSkyCube[] = {
    {kTexSkyLeft,  "_LF.bmp", "large/_LF.bmp"},
    {kTexSkyRight, "_RT.bmp", "large/_RT.bmp"},
    {kTexSkyDown,  "_DN.bmp", "large/_DN.bmp"},
    {kTexSkyUp,    "_UP.bmp", "large/_UP.bmp"},
    {kTexSkyBack,  "_BK.bmp", "large/_BK.bmp"},
    {kTexSkyFront, "_FR.bmp", "large/_FR.bmp"},
};
static const TexFile texSingleSky = {kTexSkyFront, "test1.bmp", "large/test1.bmp"};
static const TexFile texAlways[] = {
    {kTexTerrain, "l1.bmp",      "large/l1.bmp"},
    {kTexJet,     "jet.bmp",     "large/jet.bmp"},
    {kTexJetMask, "jetmask.bmp", "large/jetmask.bmp"},
};
static_assert(sizeof texSkyCube / sizeof *texSkyCube == 6);
static_assert(sizeof texAlways / sizeof *texAlways == 3);

// Mid grey: what a texture without its file shows.
static const unsigned char texPlaceholder[3] = {128, 128, 128};

// ---- functions -------------------------------------------------------------
// Mesa's llvmpipe crashes drawing with a texture object that has no image
// once bitmap text and textured drawing have run, so a texture whose file is
// missing gets one texel instead.
static void texGivePlaceholder()
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texPlaceholder);
    glPopClientAttrib();
}

static void generateTexture(const char* fileName, int number, bool linearFiltering)
{
    glBindTexture(GL_TEXTURE_2D, gs.textureIds[number]);
    printf("Generating Texture %d...\nFile name: %s\n", number, fileName);

    if (linearFiltering) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    }

    if (loadBmpTexture(fileName)) {
        printf("done!\n");
        return;
    }
    printf("Could not find the BMP for texture number %d\nFile name: %s\nContinuing without it...\n",
           number, fileName);
    conReadKey();
    texGivePlaceholder();
}

static void texGenerate(const TexFile& file)
{
    generateTexture(gs.smallTextures ? file.small : file.large, file.number, gs.highEndCard);
}

void loadTextureTable()
{
    glGenTextures(kTextureCount, &gs.textureIds[1]);
    glPrioritizeTextures(kTextureCount, &gs.textureIds[1], &gs.texturePriorities[1]);

    if (gs.panoramicSky)
        for (const TexFile& face : texSkyCube)
            texGenerate(face);
    else
        texGenerate(texSingleSky);
    for (const TexFile& file : texAlways)
        texGenerate(file);
}
