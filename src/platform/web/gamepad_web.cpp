// gamepad_web.cpp -- game controllers in the page: none are read yet, and the keys fly as ever.
#include "platform/gamepad.h"

// ---- functions -------------------------------------------------------------
// The page's keys are the only controls: the game goes on without pads, as
// it does where SDL finds none.
bool padStart()
{
    return false;
}

void padPoll(void (*)(int, PadInput, int)) {}
