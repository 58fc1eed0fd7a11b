// pad_keys.cpp -- the gamepad's controls bound to the arrows, Escape and p, as keys held by any control of any pad.
#include "app/pad_keys.h"

#include <iterator>
#include <GL/freeglut.h>

#include "app/held_keys.h"
#include "flight/controls.h"

// ---- constants -------------------------------------------------------------
constexpr int kPadKeysThreshold = kPadFull / 3;  // a stick resting off-centre turns nothing

// ---- types -----------------------------------------------------------------
struct PadKeysBinding {
    PadInput input;
    int      toward;   // the side of the travel that presses: -1 stick left, else +1
    bool     special;  // a GLUT special key, else a character
    int      key;
};

// ---- data ------------------------------------------------------------------
// Several controls may hold one key: it is released when the last lets go.
// input              toward  special  key
static const PadKeysBinding kPadKeysBindings[] = {
    {kPadStickX,          -1,  true,   GLUT_KEY_LEFT},
    {kPadStickX,          +1,  true,   GLUT_KEY_RIGHT},
    {kPadDpadLeft,        +1,  true,   GLUT_KEY_LEFT},
    {kPadDpadRight,       +1,  true,   GLUT_KEY_RIGHT},
    {kPadDpadUp,          +1,  true,   GLUT_KEY_UP},
    {kPadDpadDown,        +1,  true,   GLUT_KEY_DOWN},
    {kPadSouth,           +1,  true,   GLUT_KEY_UP},    // throttle
    {kPadTriggerRight,    +1,  true,   GLUT_KEY_UP},
    {kPadEast,            +1,  true,   GLUT_KEY_DOWN},  // brake, or capture
    {kPadTriggerLeft,     +1,  true,   GLUT_KEY_DOWN},
    {kPadBack,            +1,  false,  kCtlEscapeKey},
    {kPadStart,           +1,  false,  'p'},
};
constexpr int kPadKeysBindingCount = (int)std::size(kPadKeysBindings);

static struct {
    bool  holds[kPadMaxPads][kPadKeysBindingCount];  // which bindings press their key now
    void (*idle)() = nullptr;
} padKeys;

// ---- functions -------------------------------------------------------------
static bool padKeysHeld(const PadKeysBinding& key)
{
    for (const auto& holds : padKeys.holds)
        for (int i = 0; i < kPadKeysBindingCount; i++)
            if (holds[i] && kPadKeysBindings[i].special == key.special && kPadKeysBindings[i].key == key.key)
                return true;
    return false;
}

void padKeysOnInput(int pad, PadInput input, int value)
{
    for (int i = 0; i < kPadKeysBindingCount; i++) {
        const PadKeysBinding& binding = kPadKeysBindings[i];
        const bool holds = binding.input == input && value * binding.toward >= kPadKeysThreshold;
        if (binding.input != input || padKeys.holds[pad][i] == holds)
            continue;
        const bool wasHeld = padKeysHeld(binding);
        padKeys.holds[pad][i] = holds;
        if (wasHeld == padKeysHeld(binding))
            continue;
        // The keyboard's own way in, so a held key, a recording and a
        // timedemo treat the pad's keys as typed ones.
        if (binding.special)
            (holds ? heldOnSpecialKey : heldOnSpecialKeyUp)(binding.key, 0, 0);
        else
            (holds ? heldOnKey : heldOnKeyUp)((unsigned char)binding.key, 0, 0);
    }
}

static void padKeysThenIdle()
{
    padPoll(padKeysOnInput);
    padKeys.idle();
}

void (*padKeysIdle(void (*idle)()))()
{
    if (!padStart())
        return idle;
    padKeys.idle = idle;
    return padKeysThenIdle;
}

void padKeysReset()
{
    padKeys = {};
}
