// demo_play.cpp -- --timedemo: a recorded flight's input delivered again before the frames it came before, and the frame rate told.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <GL/freeglut.h>

#include "app/command_line.h"
#include "app/edition.h"
#include "demo/demo.h"
#include "demo/demo_parts.h"
#include "flight/controls.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "render/frame.h"

// ---- data ------------------------------------------------------------------
static struct {
    bool       playing = false;
    DemoScript script;
    size_t     next         = 0;
    double     startSeconds = 0.0;
    bool       clockRunning = false;
} play;

// ---- loading ---------------------------------------------------------------
void demoPlayReset()
{
    play = {};
}

static bool playRead(const char* name, DemoError& err)
{
    err = {0, "cannot be read to its end"};
    int fd = fileOpenData(name);
    if (fd < 0) {
        snprintf(err.what, sizeof err.what, "cannot be read: %s", fileDataRefusal(name));
        return false;
    }
    // Told before reading: a huge file is refused without being read.
    const uint64_t size = fileDataSize(fd);
    if (size > kDemoMaxFileSize) {
        fileCloseData(fd);
        snprintf(err.what, sizeof err.what, "larger than %zu MiB, not a demo", kDemoMaxFileSize >> 20);
        return false;
    }
    std::vector<char> text((size_t)size);
    const bool read = fileReadAll(fd, text.data(), text.size());
    fileCloseData(fd);
    return read && demoParse(text.data(), text.size(), edition->name, edition->capturesSound, play.script, err);
}

void demoPlayLoad()
{
    DemoError err;
    if (!playRead(cmdSettings.playFile, err))
        demoFailFile(cmdSettings.playFile, err);
    play.playing = true;
    // The file says what the dialogue would, and the sound comes from it too.
    cmdSettings.answers.skipConfig = true;
    cmdSettings.answers.skipTail   = true;
}

void demoAfterDialogue()
{
    if (play.playing)
        demoGiveSettings(play.script.settings);
}

// ---- playing ---------------------------------------------------------------
[[noreturn]] static void playFinish()
{
    const double seconds = play.clockRunning ? clkSeconds() - play.startSeconds : 0.0;
    demoStartLine();
    printf("timedemo: %d frames in %.3f s, %.1f fps\n", play.script.frames, seconds,
           seconds > 0.0 ? play.script.frames / seconds : 0.0);
    ctlReleaseOnExit();
    // freeglut closes the window on the way out, and its close callback
    // would turn this ending into the player's, with status 1.
    glutCloseFunc(nullptr);
    exit(0);
}

static bool playSampleDue()
{
    return play.next < play.script.events.size() && play.script.events[play.next].kind == kDemoSound &&
           play.script.events[play.next].frame == demoFrameCount();
}

// Hands the input recorded before this frame to the handlers GLUT called
// then, in its order, and stops at the frame's sample, which is the capture
// cycle's to read. The one re-entrant path: a key that draws a frame itself
// (the sound edition's sndKeyDrawsFrame) moves the count on from inside the
// handler, so the count is read afresh for every event, and the input after
// that frame follows it.
static void playDeliver()
{
    while (play.next < play.script.events.size()) {
        const DemoEvent event = play.script.events[play.next];
        if (event.frame > demoFrameCount() || (event.kind == kDemoSound && event.frame == demoFrameCount()))
            return;
        play.next++;
        switch (event.kind) {
        case kDemoSpecial:   onSpecialKey(event.code, 0, 0);            break;
        case kDemoSpecialUp: onSpecialKeyUp(event.code, 0, 0);          break;
        case kDemoKey:       onKey((unsigned char)event.code, 0, 0);    break;
        case kDemoSound:     break;  // left over by a file the game did not write: no cycle reads it
        }
    }
}

bool demoPlaying()
{
    return play.playing;
}

void demoPlayFrame()
{
    if (!play.clockRunning) {
        play.startSeconds = clkSeconds();
        play.clockRunning = true;
    }
    playDeliver();
    // A frame with a sample was a capture cycle's; one without was drawn
    // for the window (or by the keyboard edition's idle).
    if (playSampleDue())
        edition->idle();
    else
        renderFrame();
}

// No sample recorded here (a hand-made file): what an unopened device holds.
unsigned char demoPlaySample(unsigned char captured)
{
    if (playSampleDue())
        return (unsigned char)play.script.events[play.next++].code;
    return captured;
}

void demoPlayStart()
{
    if (play.playing && play.script.frames == 0)
        playFinish();
}

void demoPlayFrameDone()
{
    if (play.playing && demoFrameCount() >= play.script.frames)
        playFinish();
}
