// edition.cpp -- the running edition, chosen once by the program's entry point, and the one reset.
#include "app/edition.h"

#include "app/command_line.h"
#include "app/game_state.h"
#include "app/held_keys.h"
#include "app/pacing.h"
#include "app/pad_keys.h"
#include "demo/demo.h"
#include "flight/collision.h"
#include "flight/controls.h"
#include "render/frame.h"

const Edition* edition = nullptr;

void editionSelect(const Edition& ed)
{
    edition = &ed;
    gsReset(ed.startTurnRate);
    cmdSettings = {};
    demoReset();
    heldReset();
    paceReset();
    padKeysReset();
    colReset();
    ctlReset();
    frameOnSwap(nullptr);
    if (ed.reset)
        ed.reset();
}
