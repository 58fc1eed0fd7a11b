// game_state.cpp -- owns the single GameState instance.
#include "app/game_state.h"

#include <GL/freeglut.h>

GameState gs;

void gsReset(float startTurnRate)
{
    gs          = GameState{};
    gs.turnRate = startTurnRate;
    gs.hudFont  = GLUT_BITMAP_8_BY_13;
}
