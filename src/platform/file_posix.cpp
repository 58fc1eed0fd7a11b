// file_posix.cpp -- data file opens and reads on POSIX (never block, never take a special file), and whole-file writes.
#include "platform/file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- functions -------------------------------------------------------------
int fileOpenData(const char* name)
{
    // A FIFO would block the open until some writer came, and opening a
    // device can do things of its own: look first, open without waiting,
    // then make sure the thing opened is still a plain file.
    struct stat st;
    if (!name || stat(name, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    int fd = open(name, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

const char* fileDataRefusal(const char* name)
{
    struct stat st;
    int         fd = -1;
    if (name && stat(name, &st) == 0 && !S_ISREG(st.st_mode))
        return "not a plain file";
    if (name && (fd = open(name, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) >= 0) {
        close(fd);
        return "changed while it was opened";
    }
    if (!name || errno == ENOENT || errno == ENOTDIR)
        return "missing";
    return errno == EACCES ? "not allowed to be read" : strerror(errno);
}

void fileCloseData(int fd)
{
    if (fd >= 0)
        close(fd);
}

uint64_t fileDataSize(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size < 0)
        return 0;
    return (uint64_t)st.st_size;
}

bool fileReadAll(int fd, void* into, size_t size)
{
    unsigned char* at = (unsigned char*)into;
    while (size > 0) {
        ssize_t got = read(fd, at, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        size -= (size_t)got;
    }
    return true;
}

FILE* fileOpenDataStream(const char* name)
{
    int fd = fileOpenData(name);
    if (fd < 0)
        return nullptr;
    FILE* stream = fdopen(fd, "r");
    if (!stream)
        close(fd);
    return stream;
}

void fileCloseDataStream(FILE* stream)
{
    if (stream)
        fclose(stream);
}

// ---- writing ---------------------------------------------------------------
static bool fileIsFolder(const char* name)
{
    struct stat st;
    return stat(name, &st) == 0 && S_ISDIR(st.st_mode);
}

FILE* fileCreateBeside(const char* name, char* tempName, size_t size)
{
    if (!name || !*name || fileIsFolder(name) || (size_t)snprintf(tempName, size, "%s.XXXXXX", name) >= size)
        return nullptr;
    int fd = mkostemp(tempName, O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // mkostemp makes it private; the finished file gets the usual mode.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE* stream = fdopen(fd, "w");
    if (!stream) {
        close(fd);
        unlink(tempName);
    }
    return stream;
}

FileTargetFault fileCheckTarget(const char* name)
{
    struct stat st;
    if (!name || lstat(name, &st) != 0)
        return kFileTargetOk;  // nothing there yet (whether it can be created is told apart)
    if (S_ISLNK(st.st_mode))
        return kFileTargetLink;
    if (!S_ISREG(st.st_mode))
        return kFileTargetSpecial;
    if (access(name, W_OK) != 0)
        return kFileTargetReadOnly;
    // In a sticky folder (/tmp) only the file's owner, the folder's owner
    // and root may rename over it, whatever the file's mode says.
    char        folder[4096];
    const char* slash = strrchr(name, '/');
    if (!slash)
        snprintf(folder, sizeof folder, ".");
    else
        snprintf(folder, sizeof folder, "%.*s", slash == name ? 1 : (int)(slash - name), name);
    struct stat dir;
    const uid_t me = geteuid();
    if (stat(folder, &dir) == 0 && (dir.st_mode & S_ISVTX) && me != 0 && st.st_uid != me
        && dir.st_uid != me)
        return kFileTargetNotOwned;
    return kFileTargetOk;
}

bool fileCanCreateBeside(const char* name)
{
    char  temp[4096];
    FILE* stream = fileCreateBeside(name, temp, sizeof temp);
    if (!stream)
        return false;
    fclose(stream);
    unlink(temp);
    return true;
}

bool fileReplaceWith(FILE* stream, const char* tempName, const char* name)
{
    // The rename is only as good as the data under it: on the disk first.
    bool ok = !ferror(stream) && fflush(stream) == 0 && fsync(fileno(stream)) == 0;
    ok = fclose(stream) == 0 && ok;
    return ok && rename(tempName, name) == 0;
}

void fileFinishInHandler(int fd, uint64_t keep, const char* tail, size_t size, const char* tempName,
                         const char* name)
{
    if (ftruncate(fd, (off_t)keep) == 0 && pwrite(fd, tail, size, (off_t)keep) == (ssize_t)size
        && fsync(fd) == 0)
        rename(tempName, name);
}

FILE* fileCreateText(const char* name)
{
    // Without waiting: a FIFO with no reader is refused at once, and one
    // that stops reading fails a write instead of holding it up.
    int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        return nullptr;
    FILE* stream = fdopen(fd, "w");
    if (!stream)
        close(fd);
    return stream;
}
