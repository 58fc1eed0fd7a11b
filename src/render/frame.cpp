// frame.cpp -- the fixed order of a frame: clear, simulate, sky, HUD, terrain, cockpit, swap.
#include "render/frame.h"

#include <GL/freeglut.h>

#include "app/game_state.h"
#include "flight/flight_model.h"

void renderFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    updateFlight();

    glutSwapBuffers();
}
