/* swap_counter.c -- LD_PRELOAD probe: counts a program's buffer swaps from outside it.
 *
 * At exit it appends one line to $SWAP_COUNTER_OUT:
 *   frames=<swaps> first_frame_ms=<load to first swap> span_ms=<first to last swap>
 *   peak_rss_kb=<ru_maxrss> p99_interval_ms=<99th percentile of the intervals
 *   between swaps> cpu_ms=<the process's CPU time, all threads, first to last swap>
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

#define SC_MAX_INTERVALS (1 << 20)

static double scLoadMs, scFirstMs, scLastMs, scFirstCpuMs, scLastCpuMs;
static long   scFrames;
static SwapFn scRealSwap;
static float  scIntervals[SC_MAX_INTERVALS];

static double scClockMs(clockid_t clock)
{
    struct timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static double scNowMs(void)
{
    return scClockMs(CLOCK_MONOTONIC);
}

static int scCompare(const void* a, const void* b)
{
    float x = *(const float*)a, y = *(const float*)b;
    return (x > y) - (x < y);
}

static double scP99IntervalMs(void)
{
    long n = scFrames - 1 < SC_MAX_INTERVALS ? scFrames - 1 : SC_MAX_INTERVALS;
    if (n <= 0)
        return -1.0;
    qsort(scIntervals, (size_t)n, sizeof *scIntervals, scCompare);
    return scIntervals[(n * 99) / 100 < n ? (n * 99) / 100 : n - 1];
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
    fprintf(f, "frames=%ld first_frame_ms=%.1f span_ms=%.1f peak_rss_kb=%ld p99_interval_ms=%.2f cpu_ms=%.1f\n",
            scFrames, scFrames ? scFirstMs - scLoadMs : -1.0, scLastMs - scFirstMs, ru.ru_maxrss,
            scP99IntervalMs(), scLastCpuMs - scFirstCpuMs);
    fclose(f);
}

void glXSwapBuffers(void* dpy, unsigned long drawable)
{
    double now;
    if (!scRealSwap)
        scRealSwap = (SwapFn)dlsym(RTLD_NEXT, "glXSwapBuffers");
    scRealSwap(dpy, drawable);
    now = scNowMs();
    scLastCpuMs = scClockMs(CLOCK_PROCESS_CPUTIME_ID);
    if (scFrames == 0) {
        scFirstMs    = now;
        scFirstCpuMs = scLastCpuMs;
    } else if (scFrames - 1 < SC_MAX_INTERVALS) {
        scIntervals[scFrames - 1] = (float)(now - scLastMs);
    }
    scFrames++;
    scLastMs = now;
    /* First frame only wanted: end the process right after it. */
    if (scFrames == 1 && getenv("SWAP_COUNTER_EXIT_AFTER_FIRST"))
        exit(0);
}
