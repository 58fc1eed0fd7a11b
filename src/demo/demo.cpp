// demo.cpp -- the demo's front: what the rest of the game calls, the frame count and the state trace.
#include "demo/demo.h"

#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/edition.h"
#include "app/game_state.h"
#include "demo/demo_parts.h"
#include "flight/controls.h"
#include "platform/file.h"
#include "platform/process.h"
#include "render/frame.h"

// ---- constants -------------------------------------------------------------
constexpr const char* kDemoTraceVariable = "VORTAVIA_STATE_TRACE";

// ---- data ------------------------------------------------------------------
static struct {
    int   frames = 0;  // see demoFrameCount
    FILE* trace  = nullptr;
} demo;

// ---- shared with recording and playing -------------------------------------
int demoFrameCount()
{
    return demo.frames;
}

// The sound edition's speed prints leave the console line open: a line of
// the demo's own starts after them.
void demoStartLine()
{
    if (gs.consoleMidLine)
        putchar('\n');
    gs.consoleMidLine = false;
}

void demoFlushTrace()
{
    if (demo.trace)
        fflush(demo.trace);
}

void demoFailFile(const char* name, const DemoError& err)
{
    if (err.line > 0)
        fprintf(stderr, "%s: %s:%d: %s\n", edition->name, name, err.line, err.what);
    else
        fprintf(stderr, "%s: %s: %s\n", edition->name, name, err.what);
    exit(kDemoExitBadFile);
}

// ---- start -----------------------------------------------------------------
void demoReset()
{
    demo = {};
    demoRecReset();
    demoPlayReset();
}

void demoPrepare()
{
    if (cmdSettings.recordFile)
        demoRecCheckTarget();
    if (cmdSettings.playFile)
        demoPlayLoad();
}

// ---- callbacks -------------------------------------------------------------
void demoOnKey(unsigned char key, int x, int y)
{
    if (demoPlaying() && key != kCtlEscapeKey)
        return;
    demoRecEvent(kDemoKey, key);
    onKey(key, x, y);
}

void demoOnSpecialKey(int key, int x, int y)
{
    if (demoPlaying())
        return;
    // Codes past the file's range do nothing in the handler either.
    if (key >= 0 && key <= kDemoMaxSpecialCode)
        demoRecEvent(kDemoSpecial, key);
    onSpecialKey(key, x, y);
}

void demoOnSpecialKeyUp(int key, int x, int y)
{
    if (demoPlaying())
        return;
    if (key >= 0 && key <= kDemoMaxSpecialCode)
        demoRecEvent(kDemoSpecialUp, key);
    onSpecialKeyUp(key, x, y);
}

unsigned char demoSample(unsigned char captured)
{
    if (demoPlaying())
        return demoPlaySample(captured);
    demoRecEvent(kDemoSound, captured);
    return captured;
}

// ---- frames ----------------------------------------------------------------
static void demoTraceFailed()
{
    fprintf(stderr, "%s: %s: cannot be written, no state trace\n", edition->name,
            procEnvironment(kDemoTraceVariable));
}

// After every frame's swap: counts it, traces it, and ends a timedemo after
// its last frame (the frame rate line, status 0).
static void demoFrameDone()
{
    // Hexadecimal floats: two traces are equal exactly when the states are.
    if (demo.trace) {
        fprintf(demo.trace, "%d %d %d %d %a %d %a\n", demo.frames, gs.camX, gs.camY, gs.camZ, (double)gs.heading,
                gs.speed, (double)gs.bankAngle);
        // A full disk, /dev/full, a FIFO whose reader stopped: the trace goes, the flight does not.
        if (ferror(demo.trace)) {
            demoTraceFailed();
            fclose(demo.trace);
            demo.trace = nullptr;
        }
    }
    demo.frames++;

    if (cmdSettings.recordFile)
        demoRecFrameDone();
    demoPlayFrameDone();
}

void demoStart()
{
    frameOnSwap(demoFrameDone);
    if (const char* trace = procEnvironment(kDemoTraceVariable)) {
        demo.trace = fileCreateText(trace);
        // Line by line, so a test can watch the flight as it goes.
        if (demo.trace)
            setvbuf(demo.trace, nullptr, _IOLBF, 0);
        else
            demoTraceFailed();
    }
    if (cmdSettings.recordFile)
        demoRecStart();
    demoPlayStart();
}
