// edition_sound.cpp -- the sound-throttle edition: the captured sound level is the throttle.
#include "sound/edition_sound.h"

#include "app/game_state.h"
#include "sound/wave_capture.h"

// ---- key bindings ----------------------------------------------------------
static void sndDownPress()
{
    startWaveIn();
    captureCycle();
    gs.accelerating = true;
}

static void sndDownRelease()
{
    closeWaveIn();
    gs.accelerating = false;
}

static void sndKeyG()
{
    startWaveIn();
    captureCycle();
    closeWaveIn();
}

// ---- edition ---------------------------------------------------------------
const Edition kSoundEdition = {
    .name           = "vortavia_sound",
    .startTurnRate  = 0.2f,  // the view turns from the first frame
    .decayStep      = 50,
    .decayThreshold = 50,
    .downPress      = sndDownPress,
    .downRelease    = sndDownRelease,
    .keyG           = sndKeyG,
    .idle           = captureCycle,           // poll the capture buffer, then one frame
    .consoleTail    = chooseWaveDevice,       // the device menu ends the dialogue
    .deviceOptionHelp =
        "  --device=N                      answer the capture device question with N\n"
        "                                  (the list is still printed)\n",
    .keyHelp =
        "                (the view turns by itself until the first release)\n"
        "  Up            throttle; the captured sound level sets the speed too\n"
        "  Down          capture while held; its release closes the device for good\n"
        "  g             capture once, then close the device\n",
    .capturesSound = true,  // demos hold the sample of every capture cycle
};
