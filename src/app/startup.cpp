// startup.cpp -- from the command line to the GLUT main loop, once.
#include "app/startup.h"

#include <cstdio>
#include <GL/freeglut.h>

#include "app/command_line.h"
#include "app/config_console.h"
#include "demo/demo.h"
#include "app/game_state.h"
#include "app/held_keys.h"
#include "app/pacing.h"
#include "app/pad_keys.h"
#include "assets/terrain.h"
#include "assets/texture_table.h"
#include "flight/collision.h"
#include "flight/controls.h"
#include "platform/console.h"
#include "platform/console_out.h"
#include "platform/process.h"
#include "render/cockpit.h"
#include "render/frame.h"
#include "render/sky.h"

// ---- window ----------------------------------------------------------------
static void startOpenWindow()
{
    if (gs.fullScreen) {
        glutCreateWindow(kStartTitle);
        glutFullScreen();
    } else {
        glutInitWindowSize(kStartWindowSize, kStartWindowSize);
        glutCreateWindow(kStartTitle);
    }
}

// The game mode, a full-screen window or the 400x400 window, as set.
static void openDisplay()
{
    if (gs.gameMode) {
        glutGameModeString(kStartGameMode);
        if (glutGameModeGet(GLUT_GAME_MODE_POSSIBLE)) {
            glutEnterGameMode();
            return;
        }
        // Without a window there is nothing to draw into: take the plain window.
        printf("Game mode %s is not possible on this display, using a %dx%d window.\n",
               kStartGameMode, kStartWindowSize, kStartWindowSize);
    }
    startOpenWindow();
}

// ---- scene -----------------------------------------------------------------
void initScene()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT, GL_FILL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT,
           gs.highEndCard && !gs.lowEndPanorama ? GL_NICEST : GL_FASTEST);

    // Set while the modelview is still the identity, so the light rides with the eye.
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT0, GL_POSITION, gs.lightPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, gs.lightAmbient);
    glEnable(GL_LIGHT0);

    glEnable(GL_TEXTURE_2D);

    if (gs.collisionEnabled) {
        printf("Loading Collision Data...");
        fflush(stdout);  // the step shows while it runs, not after it
        loadCollisionField();
        printf("Done!\n");
    }

    // Textures before any list: a list keeps the texture names it was compiled with.
    loadTextureTable();
    if (gs.panoramicSky)
        buildSkybox();
    else
        buildSingleSky();
    buildTerrainList();
    buildCockpitOverlay();

    printf("\n\nLoading Complete!!\n\n");
}

// ---- reshape ---------------------------------------------------------------
double reshapeAspect(int width, int height)
{
    // The whole-number quotient is what the game has always shown (a 640x480
    // window gets 1). It is 0 for a tall window and undefined for height 0,
    // so those get the true ratio, or 1 when there is none.
    if (width <= 0 || height <= 0)
        return 1.0;
    if (width < height)
        return (double)width / height;
    return (double)(width / height);
}

void onReshape(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kStartFieldOfView, reshapeAspect(width, height), kStartNearPlane, kStartFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// ---- entry -----------------------------------------------------------------
void appRun(int argc, char** argv, const Edition& ed)
{
    // Before anything else: --help and a bad option touch neither the
    // display nor the terminal.
    editionSelect(ed);
    cmdParse(argc, argv, ed);
    procGuardStandardFiles();
    // A bad timedemo ends here, before any window; a good one answers everything.
    demoPrepare();
    if (cfgAllAnswered())
        conSetUnattended();
    // Console lines must show as they happen, also when the console is a pipe.
    setvbuf(stdout, nullptr, _IOLBF, 0);

    // No echo from the very start: a key typed while the display opens is
    // already an answer to the first question. Nor until set-up is over: a
    // key typed meanwhile would show among its lines, and the wait for a
    // key after a missing texture reads keys as the dialogue does.
    conBeginDialogue();
        glutInit(&argc, argv);
        runConfigConsole();
        demoAfterDialogue();
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        openDisplay();

        // A timedemo draws every frame the same way, whoever asks for it: the
        // frames a window's exposure draws are not the same on every run.
        glutDisplayFunc(demoPlaying() ? demoPlayFrame : renderFrame);
        initScene();
    conEndDialogue();
    // --fps paces the idle frames only: a frame the window asks for comes at once.
    // The pads are read right before each idle frame, after the pacing's sleep.
    glutIdleFunc(paceIdle(padKeysIdle(demoPlaying() ? demoPlayFrame : edition->idle)));
    // The key repeat, then the keyboard, special-key release and special-key callbacks.
    heldStart();
    glutReshapeFunc(onReshape);
    // Closing the window is a way out like Escape; without this freeglut
    // would end the process itself, with status 0.
    glutCloseFunc(onWindowClose);
    conOutBeginFlight();
    demoStart();
    glutMainLoop();

    // Never reached: Escape and the window's close both end the process
    // from their callbacks.
    exit(kCtlExitStatus);
}
