// virtual_pad.c -- preloaded into the game: SDL's virtual pad, moved from the script VORTAVIA_TEST_PAD names,
// one step a line ("N attach", "N detach", "N axis I VALUE", "N button I VALUE") before the Nth pad read.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <SDL2/SDL.h>

static struct { FILE* script; int polls, next, n, value; char what[16]; SDL_Joystick* pad; } v = {.next = -1};

void SDL_PumpEvents(void)
{
    if (!v.script && getenv("VORTAVIA_TEST_PAD"))
        v.script = fopen(getenv("VORTAVIA_TEST_PAD"), "r");
    v.polls++;
    while (v.script && (v.next >= 0 || fscanf(v.script, "%d %15s", &v.next, v.what) == 2) && v.next <= v.polls) {
        if (v.what[0] == 'a' && v.what[1] == 't')
            v.pad = SDL_JoystickOpen(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                                               SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0));
        else if (v.what[0] == 'd')
            SDL_JoystickClose(v.pad), SDL_JoystickDetachVirtual(0);
        else if (fscanf(v.script, "%d %d", &v.n, &v.value) == 2 && v.what[0] == 'a')
            SDL_JoystickSetVirtualAxis(v.pad, v.n, (Sint16)v.value);
        else
            SDL_JoystickSetVirtualButton(v.pad, v.n, (Uint8)v.value);
        v.next = -1;
    }
    ((void (*)(void))dlsym(RTLD_NEXT, "SDL_PumpEvents"))();
}
