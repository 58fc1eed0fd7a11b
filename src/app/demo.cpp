// demo.cpp -- recording a flight's input against the frame it came before, and delivering it again.
#include "app/demo.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <GL/freeglut.h>

#include "app/config_console.h"
#include "app/demo_file.h"
#include "app/game_state.h"
#include "flight/controls.h"
#include "platform/file.h"
#include "platform/process.h"
#include "render/frame.h"

// ---- constants -------------------------------------------------------------
constexpr int         kDemoExitBadFile   = 2;  // as for a bad option
constexpr int         kDemoNameSize      = 4096 + 16;
constexpr const char* kDemoTraceVariable = "VORTAVIA_STATE_TRACE";

// ---- data ------------------------------------------------------------------
DemoOptions demoOptions;

static const Edition* demoEdition = nullptr;
// The flight model steps once a frame and has no clock, so the number of
// frames drawn so far is the whole of the time an event needs.
static int   demoFrames = 0;
static FILE* demoTrace  = nullptr;

// Recording.
static FILE* demoOut          = nullptr;
static char  demoTempName[kDemoNameSize];
static int   demoFrameWritten = -1;
static bool  demoUnsynced     = false;  // lines written since the last safe point
// What a stop signal's handler needs to complete the file when the frame
// in progress never ends: the descriptor (-1 once finished or never
// started), and the safe point packed as (bytes << 32 | frames): the file
// cut there and given its end line is a whole demo.
static volatile sig_atomic_t  demoLastWordFd = -1;
static std::atomic<uint64_t>  demoSafePoint{0};
static_assert(std::atomic<uint64_t>::is_always_lock_free);
static_assert(kDemoMaxFileSize < ((uint64_t)1 << 32) && kDemoMaxFrames >= 0);

// Playing.
static bool       demoPlay = false;
static DemoScript demoScript;
static size_t     demoNext         = 0;
static double     demoStartSeconds = 0.0;
static bool       demoClockRunning = false;

// ---- console ---------------------------------------------------------------
// The sound edition's speed prints leave the console line open: a line of
// the demo's own starts after them.
static void demoStartLine()
{
    if (gs.consoleMidLine)
        putchar('\n');
    gs.consoleMidLine = false;
}

// ---- loading ---------------------------------------------------------------
static bool demoLoad(const char* name, DemoError& err)
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
    return read && demoParse(text.data(), text.size(), demoEdition->name, demoEdition->capturesSound,
                             demoScript, err);
}

[[noreturn]] static void demoFailFile(const char* name, const DemoError& err)
{
    if (err.line > 0)
        fprintf(stderr, "%s: %s:%d: %s\n", demoEdition->name, name, err.line, err.what);
    else
        fprintf(stderr, "%s: %s: %s\n", demoEdition->name, name, err.what);
    exit(kDemoExitBadFile);
}

// Indexed by FileTargetFault: why a recording may not take the place of what is there.
static const char* const demoTargetFaults[] = {
    "cannot be written (no such folder, not allowed, or a folder)",
    "is not a plain file (a device, FIFO, socket or folder): not replaced by a recording",
    "is a symbolic link: not replaced by a recording",
    "is write-protected: not replaced by a recording",
    "belongs to another user in a sticky folder: it cannot be replaced",
};

void demoPrepare(const Edition& ed)
{
    demoEdition = &ed;
    if (demoOptions.recordFile) {
        // Told now, before the flight: the file is only put in place at its end.
        const FileTargetFault fault = fileCheckTarget(demoOptions.recordFile);
        if (fault != kFileTargetOk || !fileCanCreateBeside(demoOptions.recordFile)) {
            DemoError err = {0, ""};
            snprintf(err.what, sizeof err.what, "%s", demoTargetFaults[fault]);
            demoFailFile(demoOptions.recordFile, err);
        }
    }
    if (!demoOptions.playFile)
        return;
    DemoError err;
    if (!demoLoad(demoOptions.playFile, err))
        demoFailFile(demoOptions.playFile, err);
    demoPlay = true;
    // The file says what the dialogue would, and the sound comes from it too.
    cfgAnswers.skipConfig = true;
    cfgAnswers.skipTail   = true;
}

void demoAfterDialogue()
{
    if (demoPlay)
        demoGiveSettings(demoScript.settings);
}

// ---- recording -------------------------------------------------------------
static void demoFinishRecording()
{
    if (!demoOut)
        return;
    demoLastWordFd = -1;
    demoWriteEnd(demoOut, demoFrames);
    FILE* out = demoOut;
    demoOut   = nullptr;
    // A flight is never thrown away: what could not take its name keeps its own.
    if (!fileReplaceWith(out, demoTempName, demoOptions.recordFile))
        fprintf(stderr, "%s: %s: could not be written: the recording is kept as %s\n", demoEdition->name,
                demoOptions.recordFile, demoTempName);
    if (demoTrace)
        fflush(demoTrace);
}

// Everything before this point is on its way to the disk: a stop signal's
// handler may cut the file here and end it.
static void demoMarkSafePoint()
{
    fflush(demoOut);
    const long bytes = ftell(demoOut);
    if (bytes >= 0)
        demoSafePoint.store((uint64_t)bytes << 32 | (uint32_t)demoFrames, std::memory_order_release);
    demoUnsynced = false;
}

// In a signal handler, while the frame in progress never ends: the file
// cut at the safe point, its end line, and its name. Async-signal-safe
// calls only.
static void demoLastWord()
{
    const int fd = demoLastWordFd;
    if (fd < 0)
        return;
    const uint64_t safe   = demoSafePoint.load(std::memory_order_acquire);
    uint32_t       frames = (uint32_t)safe;
    // "end N\n", written backwards: no formatting function is safe here.
    char line[24];
    int  at     = sizeof line;
    line[--at] = '\n';
    do {
        line[--at] = (char)('0' + frames % 10);
        frames /= 10;
    } while (frames > 0);
    for (int i = 3; i >= 0; i--)
        line[--at] = "end "[i];
    fileFinishInHandler(fd, safe >> 32, line + at, sizeof line - at, demoTempName, demoOptions.recordFile);
}

// A file the reader would refuse is no use: stop while it is still one.
static void demoStopFull()
{
    demoFinishRecording();
    demoStartLine();
    printf("%s is full at %d frames: the flight goes on unrecorded.\n", demoOptions.recordFile, demoFrames);
}

static void demoStartRecording()
{
    demoOut = fileCreateBeside(demoOptions.recordFile, demoTempName, sizeof demoTempName);
    if (!demoOut) {
        // Writable at start-up, but no longer: the window is open by now,
        // and its close on the way out must not turn the status into 1.
        glutCloseFunc(nullptr);
        demoFailFile(demoOptions.recordFile, {0, "cannot be written"});
    }
    bool settings[kDemoSettingCount];
    demoTakeSettings(settings);
    demoWriteHeader(demoOut, demoEdition->name, settings);
    demoMarkSafePoint();
    demoLastWordFd = fileno(demoOut);
    atexit(demoFinishRecording);
    procCatchStopSignals(demoLastWord);
}

static void demoRecord(DemoKind kind, int code)
{
    if (!demoOut)
        return;
    // Room for a frame line, this event and the end line, each at most a
    // line's length, or the file is full now.
    const long bytes = ftell(demoOut);
    if (bytes < 0 || (uint64_t)bytes + 3 * (kDemoMaxLine + 1) > kDemoMaxFileSize) {
        demoStopFull();
        return;
    }
    if (demoFrames != demoFrameWritten)
        demoWriteFrame(demoOut, demoFrames);
    demoFrameWritten = demoFrames;
    demoWriteEvent(demoOut, {demoFrames, kind, code});
    demoUnsynced = true;
}

// ---- playing ---------------------------------------------------------------
[[noreturn]] static void demoFinishPlaying()
{
    const double seconds = demoClockRunning ? procSeconds() - demoStartSeconds : 0.0;
    demoStartLine();
    printf("timedemo: %d frames in %.3f s, %.1f fps\n", demoScript.frames, seconds,
           seconds > 0.0 ? demoScript.frames / seconds : 0.0);
    ctlReleaseOnExit();
    // freeglut closes the window on the way out, and its close callback
    // would turn this ending into the player's, with status 1.
    glutCloseFunc(nullptr);
    exit(0);
}

static bool demoSampleDue()
{
    return demoNext < demoScript.events.size() && demoScript.events[demoNext].kind == kDemoSound &&
           demoScript.events[demoNext].frame == demoFrames;
}

// Hands the input recorded before this frame to the handlers GLUT called
// then, in its order, and stops at the frame's sample, which is the capture
// cycle's to read. The one re-entrant path: a key that draws a frame itself
// (the sound edition's sndKeyDrawsFrame) moves the count on from inside the
// handler, so the count is read afresh for every event, and the input after
// that frame follows it.
static void demoDeliver()
{
    while (demoNext < demoScript.events.size()) {
        const DemoEvent event = demoScript.events[demoNext];
        if (event.frame > demoFrames || (event.kind == kDemoSound && event.frame == demoFrames))
            return;
        demoNext++;
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
    return demoPlay;
}

void demoPlayFrame()
{
    if (!demoClockRunning) {
        demoStartSeconds = procSeconds();
        demoClockRunning = true;
    }
    demoDeliver();
    // A frame with a sample was a capture cycle's; one without was drawn
    // for the window (or by the keyboard edition's idle).
    if (demoSampleDue())
        demoEdition->idle();
    else
        renderFrame();
}

// ---- callbacks -------------------------------------------------------------
void demoOnKey(unsigned char key, int x, int y)
{
    if (demoPlay && key != kCtlEscapeKey)
        return;
    demoRecord(kDemoKey, key);
    onKey(key, x, y);
}

void demoOnSpecialKey(int key, int x, int y)
{
    if (demoPlay)
        return;
    // Codes past the file's range do nothing in the handler either.
    if (key >= 0 && key <= kDemoMaxSpecialCode)
        demoRecord(kDemoSpecial, key);
    onSpecialKey(key, x, y);
}

void demoOnSpecialKeyUp(int key, int x, int y)
{
    if (demoPlay)
        return;
    if (key >= 0 && key <= kDemoMaxSpecialCode)
        demoRecord(kDemoSpecialUp, key);
    onSpecialKeyUp(key, x, y);
}

unsigned char demoSample(unsigned char captured)
{
    if (!demoPlay) {
        demoRecord(kDemoSound, captured);
        return captured;
    }
    // No sample recorded here (a hand-made file): what an unopened device holds.
    if (demoSampleDue())
        return (unsigned char)demoScript.events[demoNext++].code;
    return captured;
}

// ---- frames ----------------------------------------------------------------
static void demoTraceFailed()
{
    fprintf(stderr, "%s: %s: cannot be written, no state trace\n", demoEdition->name,
            procEnvironment(kDemoTraceVariable));
}

// After every frame's swap: counts it, traces it, and ends a timedemo after
// its last frame (the frame rate line, status 0).
static void demoFrameDone()
{
    // Hexadecimal floats: two traces are equal exactly when the states are.
    if (demoTrace) {
        fprintf(demoTrace, "%d %d %d %d %a %d %a\n", demoFrames, gs.camX, gs.camY, gs.camZ, (double)gs.heading,
                gs.speed, (double)gs.bankAngle);
        // A full disk, /dev/full, a FIFO whose reader stopped: the trace goes, the flight does not.
        if (ferror(demoTrace)) {
            demoTraceFailed();
            fclose(demoTrace);
            demoTrace = nullptr;
        }
    }
    demoFrames++;

    if (demoOptions.recordFile) {
        if (int sig = procStopSignal()) {
            demoFinishRecording();
            procDieOf(sig);
        }
        if (demoOut && demoFrames == kDemoMaxFrames)
            demoStopFull();
        else if (demoOut && demoUnsynced)
            demoMarkSafePoint();
    }
    if (demoPlay && demoFrames >= demoScript.frames)
        demoFinishPlaying();
}

void demoStart()
{
    frameOnSwap(demoFrameDone);
    if (const char* trace = procEnvironment(kDemoTraceVariable)) {
        demoTrace = fileCreateText(trace);
        // Line by line, so a test can watch the flight as it goes.
        if (demoTrace)
            setvbuf(demoTrace, nullptr, _IOLBF, 0);
        else
            demoTraceFailed();
    }
    if (demoOptions.recordFile)
        demoStartRecording();
    if (demoPlay && demoScript.frames == 0)
        demoFinishPlaying();
}
