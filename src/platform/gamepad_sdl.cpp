// gamepad_sdl.cpp -- game controllers through SDL2's game-controller layer, and nothing else of SDL.
#include "platform/gamepad.h"

#include <cstdlib>
#include <SDL2/SDL.h>

// ---- data ------------------------------------------------------------------
static struct {
    SDL_GameController* pads[kPadMaxPads];
} pad;

// ---- functions -------------------------------------------------------------
static void padQuiet(void*, int, SDL_LogPriority, const char*)
{
}

static void padStop()
{
    SDL_Quit();
    pad = {};
}

bool padStart()
{
    // Before the init: the game's own stop-signal handling stays in force,
    // and no SDL message reaches the console.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_LogSetOutputFunction(padQuiet, nullptr);
    if (SDL_Init(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    atexit(padStop);
    return true;
}

static int padSlot(SDL_JoystickID id)
{
    SDL_GameController* controller = SDL_GameControllerFromInstanceID(id);
    for (int slot = 0; controller && slot < kPadMaxPads; slot++)
        if (pad.pads[slot] == controller)
            return slot;
    return -1;
}

static PadInput padButtonInput(Uint8 button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A:          return kPadSouth;
    case SDL_CONTROLLER_BUTTON_B:          return kPadEast;
    case SDL_CONTROLLER_BUTTON_BACK:       return kPadBack;
    case SDL_CONTROLLER_BUTTON_START:      return kPadStart;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:    return kPadDpadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:  return kPadDpadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:  return kPadDpadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return kPadDpadRight;
    default:                               return kPadInputs;
    }
}

static PadInput padAxisInput(Uint8 axis)
{
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:        return kPadStickX;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT:  return kPadTriggerLeft;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: return kPadTriggerRight;
    default:                               return kPadInputs;
    }
}

static void padReport(void (*onInput)(int, PadInput, int), int slot, PadInput input, int value)
{
    if (slot >= 0 && input != kPadInputs)
        onInput(slot, input, value);
}

static void padOpen(int deviceIndex)
{
    for (SDL_GameController*& slot : pad.pads)
        if (!slot) {
            slot = SDL_GameControllerOpen(deviceIndex);
            return;
        }
}

static void padClose(int slot)
{
    if (slot < 0)
        return;
    SDL_GameControllerClose(pad.pads[slot]);
    pad.pads[slot] = nullptr;
}

void padPoll(void (*onInput)(int pad, PadInput input, int value))
{
    // One pump a frame; the queue is then only read, so every event of the
    // frame is handled before it and none waits for the next.
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            padOpen(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            // SDL has put every control of the pad back at rest just before.
            padClose(padSlot(event.cdevice.which));
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            padReport(onInput, padSlot(event.cbutton.which), padButtonInput(event.cbutton.button),
                      event.cbutton.state == SDL_PRESSED ? kPadFull : 0);
            break;
        case SDL_CONTROLLERAXISMOTION:
            padReport(onInput, padSlot(event.caxis.which), padAxisInput(event.caxis.axis), event.caxis.value);
            break;
        default:
            break;
        }
    }
}
