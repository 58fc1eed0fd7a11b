// config_console.cpp -- banner and the three one-key menus, before any window exists.
#include "app/config_console.h"

#include <cstdio>

#include "app/command_line.h"
#include "app/edition.h"
#include "app/game_state.h"
#include "platform/console.h"

// ---- texts -----------------------------------------------------------------
static const char* const cfgBanner =
    "\n\n**************************VORTAVIA 3D DEMO in OpenGL**************************\n";
static const char* const cfgCredit =
    "           written by the VORTAVIA 3D team, for everyone who likes to fly\n\n\n\n\n";

static const char* const cfgTextureMenu[] = {
    "\n\nTexture Quality: \n",
    "   1)Low end card\n",
    "   2)Vodoo2 or higher\n",
    "   3)Large textures (for good quality on low end cards)\n",
};
static const char* const cfgDisplayMenu[] = {
    "\n\n\nDisplay Mode:\n",
    "   1)FullScreen\n",
    "   2)Windowed 400x400\n",
    "   3)Game Mode 640x480\n",
};
static const char* const cfgSkyMenu[] = {
    "\n\n\nSky Mode:\n",
    "   1)High End card panoramic skies\n",
    "   2)Single Face sky\n",
    "   3)Low End Card panoramic skies\n",
    "   4)Auto choose\n",
};
static_assert(sizeof cfgTextureMenu / sizeof *cfgTextureMenu == 4);
static_assert(sizeof cfgDisplayMenu / sizeof *cfgDisplayMenu == 4);
static_assert(sizeof cfgSkyMenu / sizeof *cfgSkyMenu == 5);

// ---- menus -----------------------------------------------------------------
template <int N>
static int cfgAsk(const char* const (&lines)[N])
{
    for (const char* line : lines)
        printf("%s", line);
    return conReadKey();
}

static void cfgTextureQuality(int key)
{
    switch (key) {
    case '1': gs.smallTextures = true;  gs.highEndCard = false; break;
    case '2': gs.smallTextures = true;  gs.highEndCard = true;  break;
    case '3': gs.smallTextures = false; gs.highEndCard = false; break;
    default: break;
    }
}

static void cfgDisplayMode(int key)
{
    switch (key) {
    case '1': gs.fullScreen = true;  break;
    case '2': gs.fullScreen = false; break;
    case '3': gs.gameMode   = true;  break;
    default: break;
    }
}

static void cfgLowEndPanorama()
{
    gs.panoramicSky   = true;
    gs.highEndCard    = false;
    gs.lowEndPanorama = true;
}

static void cfgSkyMode(int key)
{
    switch (key) {
    case '1':
        if (gs.highEndCard) {
            gs.panoramicSky = true;
            break;
        }
        printf("You have chosen low end display settings.\n It is not suitable to load high end "
               "skies...\n continuing with low end panorama.\n");
        cfgLowEndPanorama();
        if (!cfgAllAnswered())
            conReadKey();  // any key goes on; with every answer given ahead, nobody is there to press one
        break;
    case '2': gs.panoramicSky = false;          break;
    case '3': cfgLowEndPanorama();              break;
    case '4': gs.panoramicSky = gs.highEndCard; break;
    default:  gs.panoramicSky = false;          break;
    }
}

bool cfgAllAnswered()
{
    const bool menus  = cmdSettings.answers.skipConfig
                     || (cmdSettings.answers.textureKey && cmdSettings.answers.displayKey && cmdSettings.answers.skyKey);
    const bool device = !edition->consoleTail || cmdSettings.answers.deviceSet || cmdSettings.answers.skipTail;
    return menus && device;
}

// The first prompt only matters while some menu is still to be asked.
static bool cfgMenusWanted()
{
    if (cmdSettings.answers.skipConfig)
        return false;
    if (cmdSettings.answers.textureKey && cmdSettings.answers.displayKey && cmdSettings.answers.skyKey)
        return true;
    printf("Configure the game before you run it for optimal performance\n");
    printf("Or press 'x' to skip config\n");
    printf("\nAny other key to use the config utility. ");
    return conReadKey() != 'x';
}

void runConfigConsole()
{
    printf("%s", cfgBanner);
    printf("%s", cfgCredit);

    // An answer given ahead of time counts even when 'x' skips the rest;
    // the menus stay in their order, since the sky reads the texture answer.
    const bool menus = cfgMenusWanted();
    if (cmdSettings.answers.textureKey)
        cfgTextureQuality(cmdSettings.answers.textureKey);
    else if (menus)
        cfgTextureQuality(cfgAsk(cfgTextureMenu));
    if (cmdSettings.answers.displayKey)
        cfgDisplayMode(cmdSettings.answers.displayKey);
    else if (menus)
        cfgDisplayMode(cfgAsk(cfgDisplayMenu));
    if (cmdSettings.answers.skyKey)
        cfgSkyMode(cmdSettings.answers.skyKey);
    else if (menus)
        cfgSkyMode(cfgAsk(cfgSkyMenu));

    if (edition->consoleTail && !cmdSettings.answers.skipTail)
        edition->consoleTail();
    printf("\n\n\nOk...Loading the game...\n\n");
    fflush(stdout);
}
