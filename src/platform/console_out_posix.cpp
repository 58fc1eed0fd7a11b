// console_out_posix.cpp -- standard output in flight through a bounded buffer that a writer thread empties.
#include "platform/console_out.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

// ---- constants -------------------------------------------------------------
constexpr size_t kConOutBufferSize = 64 * 1024;  // seconds of the sound edition's speed prints
// The way out waits this long for the console to take what is left.
constexpr int  kConOutExitWaitMs = 500;
constexpr long kConOutNsPerSec   = 1000000000L;

// ---- data ------------------------------------------------------------------
// The ring is written by the game under `lock` into its free part only; the
// writer thread writes the taken part out without the lock.
static struct {
    pthread_mutex_t    lock = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t     wake;  // on CLOCK_MONOTONIC: text came, or text went out
    char               ring[kConOutBufferSize];
    size_t             head;  // where the text not yet written starts
    size_t             size;  // how much of it there is
    unsigned long long dropped;
    bool               started;
} conOut;

// ---- writer ----------------------------------------------------------------
static void conOutWrite(const char* text, size_t size)
{
    // A console that is gone (a closed pipe) loses the text; the game goes on.
    while (size > 0) {
        ssize_t done = write(STDOUT_FILENO, text, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return;
        text += done;
        size -= (size_t)done;
    }
}

static void* conOutThread(void*)
{
    char note[96];
    pthread_mutex_lock(&conOut.lock);
    for (;;) {
        while (conOut.size == 0 && conOut.dropped == 0)
            pthread_cond_wait(&conOut.wake, &conOut.lock);
        if (conOut.size == 0) {
            // Drained: the console takes text again, so the loss can be told.
            int length = snprintf(note, sizeof note,
                                  "\n[%llu bytes of console output dropped: the console was not reading]\n",
                                  conOut.dropped);
            conOut.dropped = 0;
            pthread_mutex_unlock(&conOut.lock);
            conOutWrite(note, (size_t)length);
            pthread_mutex_lock(&conOut.lock);
            continue;
        }
        size_t take = conOut.size;
        if (conOut.head + take > kConOutBufferSize)
            take = kConOutBufferSize - conOut.head;
        const char* text = conOut.ring + conOut.head;
        pthread_mutex_unlock(&conOut.lock);
        conOutWrite(text, take);
        pthread_mutex_lock(&conOut.lock);
        conOut.head = (conOut.head + take) % kConOutBufferSize;
        conOut.size -= take;
        pthread_cond_broadcast(&conOut.wake);
    }
    return nullptr;
}

// ---- the game's side -------------------------------------------------------
static ssize_t conOutTake(void*, const char* text, size_t size)
{
    pthread_mutex_lock(&conOut.lock);
    size_t room = kConOutBufferSize - conOut.size;
    size_t keep = size < room ? size : room;
    for (size_t i = 0; i < keep; i++)
        conOut.ring[(conOut.head + conOut.size + i) % kConOutBufferSize] = text[i];
    conOut.size += keep;
    conOut.dropped += size - keep;
    pthread_cond_broadcast(&conOut.wake);
    pthread_mutex_unlock(&conOut.lock);
    return (ssize_t)size;  // all of it taken, kept or counted
}

static void conOutDrain()
{
    timespec until;
    clock_gettime(CLOCK_MONOTONIC, &until);
    long ns = until.tv_nsec + (long)kConOutExitWaitMs * 1000000L;
    until.tv_sec += ns / kConOutNsPerSec;
    until.tv_nsec = ns % kConOutNsPerSec;
    pthread_mutex_lock(&conOut.lock);
    while (conOut.size > 0 && pthread_cond_timedwait(&conOut.wake, &conOut.lock, &until) != ETIMEDOUT) {
    }
    pthread_mutex_unlock(&conOut.lock);
}

void conOutBeginFlight()
{
    if (conOut.started)
        return;
    cookie_io_functions_t io = {nullptr, conOutTake, nullptr, nullptr};
    FILE*                 out = fopencookie(nullptr, "w", io);
    if (!out)
        return;
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&conOut.wake, &attr);
    pthread_condattr_destroy(&attr);

    // The writer takes no signal: a stop signal's handler runs on the game's threads.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    pthread_t writer;
    const bool created = pthread_create(&writer, nullptr, conOutThread, nullptr) == 0;
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    if (!created) {
        fclose(out);
        return;
    }
    pthread_detach(writer);
    conOut.started = true;
    // Unbuffered: each print reaches the ring whole at once, so none is left
    // in a stdio buffer after the drain on the way out.
    fflush(stdout);
    setvbuf(out, nullptr, _IONBF, 0);
    stdout = out;
    atexit(conOutDrain);
}
