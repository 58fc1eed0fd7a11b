// edition_keyboard.cpp -- the keyboard edition: up arrow throttle, down arrow brake.
#include "app/edition.h"

#include "app/game_state.h"
#include "flight/controls.h"
#include "render/frame.h"

const Edition kKeyboardEdition = {
    "vortavia",
    0.0f,             // start turn rate: the view starts still
    200,              // decay step
    200,              // decay threshold
    ctlBrakePress,
    ctlBrakeRelease,
    nullptr,          // 'g' unbound
    renderFrame,      // idle: one frame per call
    nullptr,          // no device menu
    nullptr,          // so no --device
    "                (press one first: it gives the jet its heading)\n"
    "  Up            throttle\n"
    "  Down          brake (each press brakes harder)\n",
    false,            // no sound capture
};

const Edition* edition = &kKeyboardEdition;

void editionSelect(const Edition& ed)
{
    edition = &ed;
    gsReset(ed.startTurnRate);
}
