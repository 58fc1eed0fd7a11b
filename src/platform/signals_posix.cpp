// signals_posix.cpp -- every signal disposition the game sets, on POSIX.
#include "platform/signals.h"

#include <csignal>
#include <sys/time.h>
#include <unistd.h>

// ---- constants -------------------------------------------------------------
// How long the frame in progress has to finish after a stop signal: a
// frame held up by the X server or a device must not keep the game alive.
constexpr int kSigStopWaitMs = 500;

// ---- data ------------------------------------------------------------------
static const int sigEnding[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

static struct {
    volatile sig_atomic_t stopCaught = 0;
    void (*lastWord)()              = nullptr;
    void (*undo)()                  = nullptr;
} sigState;

// ---- functions -------------------------------------------------------------
void sigIgnoreBrokenPipe()
{
    signal(SIGPIPE, SIG_IGN);
}

static bool sigIgnored(int sig)
{
    struct sigaction now;
    return sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
}

static void sigSetHandler(int sig, void (*handler)(int), int flags)
{
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = flags;
    sigaction(sig, &sa, nullptr);
}

void sigDieOf(int sig)
{
    signal(sig, SIG_DFL);
    raise(sig);
    _exit(128 + sig);  // only if the signal is blocked
}

// ---- undo, then end --------------------------------------------------------
static void sigOnEnd(int sig)
{
    sigState.undo();
    signal(sig, SIG_DFL);
    raise(sig);
}

void sigUndoOnEnd(void (*undo)())
{
    if (sigState.undo)
        return;
    sigState.undo = undo;
    for (int sig : sigEnding)
        // Ignored from the start (nohup's SIGHUP): it must not end the dialogue either.
        if (!sigIgnored(sig))
            sigSetHandler(sig, sigOnEnd, 0);
}

// ---- stop signals ----------------------------------------------------------
static void sigNoteStop(int sig)
{
    if (sigState.stopCaught)
        return;
    sigState.stopCaught = sig;
    struct itimerval due = {};
    due.it_value.tv_usec = kSigStopWaitMs * 1000;
    setitimer(ITIMER_REAL, &due, nullptr);
}

// The frame did not finish in time: the last word, then the signal's own end.
static void sigStopOverdue(int)
{
    if (sigState.lastWord)
        sigState.lastWord();
    sigDieOf(sigState.stopCaught);
}

void sigCatchStops(void (*lastWord)())
{
    sigState.lastWord = lastWord;
    sigSetHandler(SIGALRM, sigStopOverdue, SA_RESTART);
    for (int sig : sigEnding)
        if (!sigIgnored(sig))
            sigSetHandler(sig, sigNoteStop, SA_RESTART);
}

int sigStopCaught()
{
    if (sigState.stopCaught) {
        // Seen in time: the caller finishes and dies itself.
        struct itimerval off = {};
        setitimer(ITIMER_REAL, &off, nullptr);
    }
    return sigState.stopCaught;
}
