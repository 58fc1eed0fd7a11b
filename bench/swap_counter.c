/* swap_counter.c -- LD_PRELOAD probe: counts a program's buffer swaps from outside it.
 *
 * At exit it appends one line to $SWAP_COUNTER_OUT:
 *   frames=<swaps> first_frame_ms=<load to first swap> span_ms=<first to last swap>
 *   peak_rss_kb=<ru_maxrss>
 * The load time stands for the process start: the dynamic loader runs this
 * library's constructor before the program's own code.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

typedef void (*SwapFn)(void* dpy, unsigned long drawable);

static double scLoadMs, scFirstMs, scLastMs;
static long   scFrames;
static SwapFn scRealSwap;

static double scNowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

__attribute__((constructor)) static void scLoad(void)
{
    scLoadMs = scNowMs();
}

__attribute__((destructor)) static void scReport(void)
{
    const char* path = getenv("SWAP_COUNTER_OUT");
    struct rusage ru;
    FILE* f;
    if (!path || !(f = fopen(path, "a")))
        return;
    getrusage(RUSAGE_SELF, &ru);
    fprintf(f, "frames=%ld first_frame_ms=%.1f span_ms=%.1f peak_rss_kb=%ld\n", scFrames,
            scFrames ? scFirstMs - scLoadMs : -1.0, scLastMs - scFirstMs, ru.ru_maxrss);
    fclose(f);
}

void glXSwapBuffers(void* dpy, unsigned long drawable)
{
    double now;
    if (!scRealSwap)
        scRealSwap = (SwapFn)dlsym(RTLD_NEXT, "glXSwapBuffers");
    scRealSwap(dpy, drawable);
    now = scNowMs();
    if (scFrames++ == 0)
        scFirstMs = now;
    scLastMs = now;
    /* First frame only wanted: end the process right after it. */
    if (scFrames == 1 && getenv("SWAP_COUNTER_EXIT_AFTER_FIRST"))
        exit(0);
}
