// process_posix.cpp -- standard descriptors, SIGPIPE and the stop signals, clock and environment on POSIX.
#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

// ---- constants -------------------------------------------------------------
// How long the frame in progress has to finish after a stop signal: a
// frame held up by the X server or a device must not keep the game alive.
constexpr int kProcStopWaitMs = 500;

// ---- data ------------------------------------------------------------------
static const int             procStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
static volatile sig_atomic_t procStopCaught    = 0;
static void (*procLastWord)()                  = nullptr;

// ---- functions -------------------------------------------------------------
void procGuardStandardFiles()
{
    for (int fd = 0; fd <= 2; fd++) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is this one, as the lower ones are open.
        int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
    signal(SIGPIPE, SIG_IGN);
}

// ---- stop signals ----------------------------------------------------------
static void procNoteStop(int sig)
{
    if (procStopCaught)
        return;
    procStopCaught = sig;
    struct itimerval due = {};
    due.it_value.tv_usec = kProcStopWaitMs * 1000;
    setitimer(ITIMER_REAL, &due, nullptr);
}

// The frame did not finish in time: the last word, then the signal's own end.
static void procStopOverdue(int)
{
    if (procLastWord)
        procLastWord();
    procDieOf(procStopCaught);
}

static void procSetHandler(int sig, void (*handler)(int))
{
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(sig, &sa, nullptr);
}

bool procSignalIgnored(int sig)
{
    struct sigaction now;
    return sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
}

void procCatchStopSignals(void (*lastWord)())
{
    procLastWord = lastWord;
    procSetHandler(SIGALRM, procStopOverdue);
    for (int sig : procStopSignals)
        if (!procSignalIgnored(sig))
            procSetHandler(sig, procNoteStop);
}

int procStopSignal()
{
    if (procStopCaught) {
        // Seen in time: the caller finishes and dies itself.
        struct itimerval off = {};
        setitimer(ITIMER_REAL, &off, nullptr);
    }
    return procStopCaught;
}

void procDieOf(int sig)
{
    signal(sig, SIG_DFL);
    raise(sig);
    _exit(128 + sig);  // only if the signal is blocked
}

// ---- clock and environment -------------------------------------------------
double procSeconds()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

void procSleepUntil(double seconds)
{
    if (seconds <= procSeconds())
        return;
    struct timespec due;
    due.tv_sec  = (time_t)seconds;
    due.tv_nsec = (long)((seconds - (double)due.tv_sec) * 1e9);
    if (due.tv_nsec >= 1000000000L)
        due.tv_nsec = 999999999L;
    // Absolute on the same clock as procSeconds: no drift from the time
    // spent getting here.
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
}

const char* procEnvironment(const char* name)
{
    const char* value = getenv(name);
    return value && *value ? value : nullptr;
}
