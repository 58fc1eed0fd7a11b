// edition_sound.cpp -- the sound-throttle edition: the captured sound level is the throttle.
#include "sound/edition_sound.h"

#include "app/game_state.h"
#include "sound/wave_capture.h"

// ---- key bindings ----------------------------------------------------------
// The one key path that draws a whole frame from inside a key callback, and
// so from inside a timedemo's delivery of the key: the frame's after-swap
// hook counts it there and then, and the delivery of the input after it
// waits for the count it now has (see demoDeliver).
static void sndKeyDrawsFrame()
{
    startWaveIn();
    captureCycle();
}

static void sndDownPress()
{
    sndKeyDrawsFrame();
    gs.accelerating = true;
}

static void sndDownRelease()
{
    closeWaveIn();
    gs.accelerating = false;
}

static void sndKeyG()
{
    sndKeyDrawsFrame();
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
    .reset         = capReset,
};
