// edition_keyboard.cpp -- the keyboard edition: up arrow throttle, down arrow brake.
#include "app/edition.h"

#include "flight/controls.h"
#include "render/frame.h"

const Edition kKeyboardEdition = {
    .name           = "vortavia",
    .startTurnRate  = 0.0f,  // the view starts still
    .decayStep      = 200,
    .decayThreshold = 200,
    .downPress      = ctlBrakePress,
    .downRelease    = ctlBrakeRelease,
    .keyG           = nullptr,
    .idle           = renderFrame,
    .consoleTail    = nullptr,
    .deviceOptionHelp = nullptr,
    .keyHelp =
        "                (press one first: it gives the jet its heading)\n"
        "  Up            throttle\n"
        "  Down          brake (each press brakes harder)\n",
    .capturesSound = false,
    .reset         = nullptr,
};
