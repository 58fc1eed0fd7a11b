// demo_record.cpp -- --record: each piece of input written against the frame it came before, and the file finished by every way out.
#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <GL/freeglut.h>

#include "app/command_line.h"
#include "app/edition.h"
#include "demo/demo_parts.h"
#include "platform/file.h"
#include "platform/signals.h"

// ---- constants -------------------------------------------------------------
constexpr int kDemoNameSize = 4096 + 16;

// ---- data ------------------------------------------------------------------
static struct {
    FILE* out          = nullptr;
    char  tempName[kDemoNameSize] = {};
    int   frameWritten = -1;
    bool  unsynced     = false;  // lines written since the last safe point
} rec;

// What a stop signal's handler needs to complete the file when the frame
// in progress never ends: the descriptor (-1 once finished or never
// started), and the safe point packed as (bytes << 32 | frames): the file
// cut there and given its end line is a whole demo. Apart from the rest,
// as atomics are not copied.
static struct {
    volatile sig_atomic_t fd = -1;
    std::atomic<uint64_t> safePoint{0};
} recHandler;
static_assert(std::atomic<uint64_t>::is_always_lock_free);
static_assert(kDemoMaxFileSize < ((uint64_t)1 << 32) && kDemoMaxFrames >= 0);

// Indexed by FileTargetFault: why a recording may not take the place of what is there.
static const char* const recTargetFaults[] = {
    "cannot be written (no such folder, not allowed, or a folder)",
    "is not a plain file (a device, FIFO, socket or folder): not replaced by a recording",
    "is a symbolic link: not replaced by a recording",
    "is write-protected: not replaced by a recording",
    "belongs to another user in a sticky folder: it cannot be replaced",
};

// ---- functions -------------------------------------------------------------
void demoRecReset()
{
    rec = {};
    recHandler.fd = -1;
    recHandler.safePoint.store(0);
}

void demoRecCheckTarget()
{
    // Told now, before the flight: the file is only put in place at its end.
    const FileTargetFault fault = fileCheckTarget(cmdSettings.recordFile);
    if (fault != kFileTargetOk || !fileCanCreateBeside(cmdSettings.recordFile)) {
        DemoError err = {0, ""};
        snprintf(err.what, sizeof err.what, "%s", recTargetFaults[fault]);
        demoFailFile(cmdSettings.recordFile, err);
    }
}

static void recFinish()
{
    if (!rec.out)
        return;
    recHandler.fd = -1;
    demoWriteEnd(rec.out, demoFrameCount());
    FILE* out = rec.out;
    rec.out = nullptr;
    // A flight is never thrown away: what could not take its name keeps its own.
    if (!fileReplaceWith(out, rec.tempName, cmdSettings.recordFile))
        fprintf(stderr, "%s: %s: could not be written: the recording is kept as %s\n", edition->name,
                cmdSettings.recordFile, rec.tempName);
    demoFlushTrace();
}

// Everything before this point is on its way to the disk: a stop signal's
// handler may cut the file here and end it.
static void recMarkSafePoint()
{
    fflush(rec.out);
    const long bytes = ftell(rec.out);
    if (bytes >= 0)
        recHandler.safePoint.store((uint64_t)bytes << 32 | (uint32_t)demoFrameCount(), std::memory_order_release);
    rec.unsynced = false;
}

// In a signal handler, while the frame in progress never ends: the file
// cut at the safe point, its end line, and its name. Async-signal-safe
// calls only.
static void recLastWord()
{
    const int fd = recHandler.fd;
    if (fd < 0)
        return;
    const uint64_t safe   = recHandler.safePoint.load(std::memory_order_acquire);
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
    fileFinishInHandler(fd, safe >> 32, line + at, sizeof line - at, rec.tempName, cmdSettings.recordFile);
}

// A file the reader would refuse is no use: stop while it is still one.
static void recStopFull()
{
    recFinish();
    demoStartLine();
    printf("%s is full at %d frames: the flight goes on unrecorded.\n", cmdSettings.recordFile, demoFrameCount());
}

void demoRecStart()
{
    rec.out = fileCreateBeside(cmdSettings.recordFile, rec.tempName, sizeof rec.tempName);
    if (!rec.out) {
        // Writable at start-up, but no longer: the window is open by now,
        // and its close on the way out must not turn the status into 1.
        glutCloseFunc(nullptr);
        demoFailFile(cmdSettings.recordFile, {0, "cannot be written"});
    }
    bool settings[kDemoSettingCount];
    demoTakeSettings(settings);
    demoWriteHeader(rec.out, edition->name, settings);
    recMarkSafePoint();
    recHandler.fd = fileno(rec.out);
    atexit(recFinish);
    sigCatchStops(recLastWord);
}

void demoRecEvent(DemoKind kind, int code)
{
    if (!rec.out)
        return;
    // Room for a frame line, this event and the end line, each at most a
    // line's length, or the file is full now.
    const long bytes = ftell(rec.out);
    if (bytes < 0 || (uint64_t)bytes + 3 * (kDemoMaxLine + 1) > kDemoMaxFileSize) {
        recStopFull();
        return;
    }
    const int frames = demoFrameCount();
    if (frames != rec.frameWritten)
        demoWriteFrame(rec.out, frames);
    rec.frameWritten = frames;
    demoWriteEvent(rec.out, {frames, kind, code});
    rec.unsynced = true;
}

// After the count moved on: a stop signal ends the flight here, between
// frames, and the file is made whole again as often as it is written.
void demoRecFrameDone()
{
    if (int sig = sigStopCaught()) {
        recFinish();
        sigDieOf(sig);
    }
    if (rec.out && demoFrameCount() == kDemoMaxFrames)
        recStopFull();
    else if (rec.out && rec.unsynced)
        recMarkSafePoint();
}
