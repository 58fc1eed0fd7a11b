// process_posix.cpp -- standard descriptors and environment on POSIX.
#include "platform/process.h"
#include "platform/signals.h"

#include <cerrno>
#include <cstdlib>
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

// ---- environment -----------------------------------------------------------
const char* procEnvironment(const char* name)
{
    const char* value = getenv(name);
    return value && *value ? value : nullptr;
}
