// process_posix.cpp -- standard descriptors, clock and environment on POSIX.
#include "platform/process.h"
#include "platform/signals.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

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
    sigIgnoreBrokenPipe();
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
