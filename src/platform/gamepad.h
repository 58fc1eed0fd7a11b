// gamepad.h -- game controllers, plugged in and pulled out at any time, read once a frame.
#pragma once

// ---- constants -------------------------------------------------------------
constexpr int kPadMaxPads = 4;      // pads beyond these are not read
constexpr int kPadFull    = 32767;  // a stick or trigger at the end of its travel

// ---- types -----------------------------------------------------------------
// The controls the game reads, by where they sit on a pad, whatever its maker
// calls them (South is Xbox's A, Nintendo's B).
enum PadInput {
    kPadSouth, kPadEast, kPadBack, kPadStart,
    kPadDpadUp, kPadDpadDown, kPadDpadLeft, kPadDpadRight,
    kPadStickX,                        // the left stick, across
    kPadTriggerLeft, kPadTriggerRight,
    kPadInputs
};

// ---- functions -------------------------------------------------------------
// Starts reading pads; false where they cannot be read at all (then the
// game goes on without them). Nothing is printed either way, and signals
// stay the game's. The reading ends by itself at the process's exit.
bool padStart();

// Hands each change since the last call to `onInput`: the pad's slot (0 to
// kPadMaxPads - 1), the control and its new value: a button 0 or kPadFull,
// a trigger 0 to kPadFull, the stick -kPadFull - 1 (left) to kPadFull. A
// pad pulled out has every control it held reported back at 0 first, and
// its slot goes to the next pad plugged in. Never waits.
void padPoll(void (*onInput)(int pad, PadInput input, int value));
