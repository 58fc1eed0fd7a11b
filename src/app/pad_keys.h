// pad_keys.h -- the gamepad as the keys the game already knows, pressed and released through the keyboard's own path.
#pragma once

#include "platform/gamepad.h"

// ---- functions -------------------------------------------------------------
// The idle callback to register: `idle` itself where no pad can be read,
// else one that first turns the pads' changes since the last frame into key
// presses and releases and then calls `idle`.
void (*padKeysIdle(void (*idle)()))();

// One pad control's new value (see padPoll): presses the key it is bound to
// when it crosses a third of its travel, and releases the key once no
// control of any pad holds it any more.
void padKeysOnInput(int pad, PadInput input, int value);

// Back to the start: no pad control holds a key.
void padKeysReset();
