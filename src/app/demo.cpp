// demo.cpp -- recording a flight's input against the frame it came before, and delivering it again.
#include "app/demo.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <GL/freeglut.h>

#include "app/command_line.h"
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
static struct {
    const Edition* edition = nullptr;
    // The flight model steps once a frame and has no clock, so the number of
    // frames drawn so far is the whole of the time an event needs.
    int   frames = 0;
    FILE* trace  = nullptr;

    // Recording.
    FILE* out          = nullptr;
    char  tempName[kDemoNameSize] = {};
    int   frameWritten = -1;
    bool  unsynced     = false;  // lines written since the last safe point

    // Playing.
    bool       play = false;
    DemoScript script;
    size_t     next         = 0;
    double     startSeconds = 0.0;
    bool       clockRunning = false;
} demo;

// What a stop signal's handler needs to complete the file when the frame
// in progress never ends: the descriptor (-1 once finished or never
// started), and the safe point packed as (bytes << 32 | frames): the file
// cut there and given its end line is a whole demo. Apart from the rest,
// as atomics are not copied.
static struct {
    volatile sig_atomic_t fd = -1;
    std::atomic<uint64_t> safePoint{0};
} demoHandler;
static_assert(std::atomic<uint64_t>::is_always_lock_free);
static_assert(kDemoMaxFileSize < ((uint64_t)1 << 32) && kDemoMaxFrames >= 0);

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
    return read && demoParse(text.data(), text.size(), demo.edition->name, demo.edition->capturesSound,
                             demo.script, err);
}

[[noreturn]] static void demoFailFile(const char* name, const DemoError& err)
{
    if (err.line > 0)
        fprintf(stderr, "%s: %s:%d: %s\n", demo.edition->name, name, err.line, err.what);
    else
        fprintf(stderr, "%s: %s: %s\n", demo.edition->name, name, err.what);
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
    demo.edition = &ed;
    if (cmdSettings.recordFile) {
        // Told now, before the flight: the file is only put in place at its end.
        const FileTargetFault fault = fileCheckTarget(cmdSettings.recordFile);
        if (fault != kFileTargetOk || !fileCanCreateBeside(cmdSettings.recordFile)) {
            DemoError err = {0, ""};
            snprintf(err.what, sizeof err.what, "%s", demoTargetFaults[fault]);
            demoFailFile(cmdSettings.recordFile, err);
        }
    }
    if (!cmdSettings.playFile)
        return;
    DemoError err;
    if (!demoLoad(cmdSettings.playFile, err))
        demoFailFile(cmdSettings.playFile, err);
    demo.play = true;
    // The file says what the dialogue would, and the sound comes from it too.
    cmdSettings.answers.skipConfig = true;
    cmdSettings.answers.skipTail   = true;
}

void demoAfterDialogue()
{
    if (demo.play)
        demoGiveSettings(demo.script.settings);
}

// ---- recording -------------------------------------------------------------
static void demoFinishRecording()
{
    if (!demo.out)
        return;
    demoHandler.fd = -1;
    demoWriteEnd(demo.out, demo.frames);
    FILE* out = demo.out;
    demo.out = nullptr;
    // A flight is never thrown away: what could not take its name keeps its own.
    if (!fileReplaceWith(out, demo.tempName, cmdSettings.recordFile))
        fprintf(stderr, "%s: %s: could not be written: the recording is kept as %s\n", demo.edition->name,
                cmdSettings.recordFile, demo.tempName);
    if (demo.trace)
        fflush(demo.trace);
}

// Everything before this point is on its way to the disk: a stop signal's
// handler may cut the file here and end it.
static void demoMarkSafePoint()
{
    fflush(demo.out);
    const long bytes = ftell(demo.out);
    if (bytes >= 0)
        demoHandler.safePoint.store((uint64_t)bytes << 32 | (uint32_t)demo.frames, std::memory_order_release);
    demo.unsynced = false;
}

// In a signal handler, while the frame in progress never ends: the file
// cut at the safe point, its end line, and its name. Async-signal-safe
// calls only.
static void demoLastWord()
{
    const int fd = demoHandler.fd;
    if (fd < 0)
        return;
    const uint64_t safe   = demoHandler.safePoint.load(std::memory_order_acquire);
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
    fileFinishInHandler(fd, safe >> 32, line + at, sizeof line - at, demo.tempName, cmdSettings.recordFile);
}

// A file the reader would refuse is no use: stop while it is still one.
static void demoStopFull()
{
    demoFinishRecording();
    demoStartLine();
    printf("%s is full at %d frames: the flight goes on unrecorded.\n", cmdSettings.recordFile, demo.frames);
}

static void demoStartRecording()
{
    demo.out = fileCreateBeside(cmdSettings.recordFile, demo.tempName, sizeof demo.tempName);
    if (!demo.out) {
        // Writable at start-up, but no longer: the window is open by now,
        // and its close on the way out must not turn the status into 1.
        glutCloseFunc(nullptr);
        demoFailFile(cmdSettings.recordFile, {0, "cannot be written"});
    }
    bool settings[kDemoSettingCount];
    demoTakeSettings(settings);
    demoWriteHeader(demo.out, demo.edition->name, settings);
    demoMarkSafePoint();
    demoHandler.fd = fileno(demo.out);
    atexit(demoFinishRecording);
    procCatchStopSignals(demoLastWord);
}

static void demoRecord(DemoKind kind, int code)
{
    if (!demo.out)
        return;
    // Room for a frame line, this event and the end line, each at most a
    // line's length, or the file is full now.
    const long bytes = ftell(demo.out);
    if (bytes < 0 || (uint64_t)bytes + 3 * (kDemoMaxLine + 1) > kDemoMaxFileSize) {
        demoStopFull();
        return;
    }
    if (demo.frames != demo.frameWritten)
        demoWriteFrame(demo.out, demo.frames);
    demo.frameWritten = demo.frames;
    demoWriteEvent(demo.out, {demo.frames, kind, code});
    demo.unsynced = true;
}

// ---- playing ---------------------------------------------------------------
[[noreturn]] static void demoFinishPlaying()
{
    const double seconds = demo.clockRunning ? procSeconds() - demo.startSeconds : 0.0;
    demoStartLine();
    printf("timedemo: %d frames in %.3f s, %.1f fps\n", demo.script.frames, seconds,
           seconds > 0.0 ? demo.script.frames / seconds : 0.0);
    ctlReleaseOnExit();
    // freeglut closes the window on the way out, and its close callback
    // would turn this ending into the player's, with status 1.
    glutCloseFunc(nullptr);
    exit(0);
}

static bool demoSampleDue()
{
    return demo.next < demo.script.events.size() && demo.script.events[demo.next].kind == kDemoSound &&
           demo.script.events[demo.next].frame == demo.frames;
}

// Hands the input recorded before this frame to the handlers GLUT called
// then, in its order, and stops at the frame's sample, which is the capture
// cycle's to read. The one re-entrant path: a key that draws a frame itself
// (the sound edition's sndKeyDrawsFrame) moves the count on from inside the
// handler, so the count is read afresh for every event, and the input after
// that frame follows it.
static void demoDeliver()
{
    while (demo.next < demo.script.events.size()) {
        const DemoEvent event = demo.script.events[demo.next];
        if (event.frame > demo.frames || (event.kind == kDemoSound && event.frame == demo.frames))
            return;
        demo.next++;
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
    return demo.play;
}

void demoPlayFrame()
{
    if (!demo.clockRunning) {
        demo.startSeconds = procSeconds();
        demo.clockRunning = true;
    }
    demoDeliver();
    // A frame with a sample was a capture cycle's; one without was drawn
    // for the window (or by the keyboard edition's idle).
    if (demoSampleDue())
        demo.edition->idle();
    else
        renderFrame();
}

void demoReset()
{
    demo = {};
    demoHandler.fd = -1;
    demoHandler.safePoint.store(0);
}

// ---- callbacks -------------------------------------------------------------
void demoOnKey(unsigned char key, int x, int y)
{
    if (demo.play && key != kCtlEscapeKey)
        return;
    demoRecord(kDemoKey, key);
    onKey(key, x, y);
}

void demoOnSpecialKey(int key, int x, int y)
{
    if (demo.play)
        return;
    // Codes past the file's range do nothing in the handler either.
    if (key >= 0 && key <= kDemoMaxSpecialCode)
        demoRecord(kDemoSpecial, key);
    onSpecialKey(key, x, y);
}

void demoOnSpecialKeyUp(int key, int x, int y)
{
    if (demo.play)
        return;
    if (key >= 0 && key <= kDemoMaxSpecialCode)
        demoRecord(kDemoSpecialUp, key);
    onSpecialKeyUp(key, x, y);
}

unsigned char demoSample(unsigned char captured)
{
    if (!demo.play) {
        demoRecord(kDemoSound, captured);
        return captured;
    }
    // No sample recorded here (a hand-made file): what an unopened device holds.
    if (demoSampleDue())
        return (unsigned char)demo.script.events[demo.next++].code;
    return captured;
}

// ---- frames ----------------------------------------------------------------
static void demoTraceFailed()
{
    fprintf(stderr, "%s: %s: cannot be written, no state trace\n", demo.edition->name,
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

    if (cmdSettings.recordFile) {
        if (int sig = procStopSignal()) {
            demoFinishRecording();
            procDieOf(sig);
        }
        if (demo.out && demo.frames == kDemoMaxFrames)
            demoStopFull();
        else if (demo.out && demo.unsynced)
            demoMarkSafePoint();
    }
    if (demo.play && demo.frames >= demo.script.frames)
        demoFinishPlaying();
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
        demoStartRecording();
    if (demo.play && demo.script.frames == 0)
        demoFinishPlaying();
}
