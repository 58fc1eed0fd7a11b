// edition.cpp -- the running edition, chosen once by the program's entry point.
#include "app/edition.h"

#include "app/game_state.h"

const Edition* edition = nullptr;

void editionSelect(const Edition& ed)
{
    edition = &ed;
    gsReset(ed.startTurnRate);
}
