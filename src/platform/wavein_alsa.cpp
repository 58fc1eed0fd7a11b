// wavein_alsa.cpp -- the wave-in layer on ALSA: device list, format probe, a capture thread per open device.
#include "platform/wavein.h"

#include <alsa/asoundlib.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <pthread.h>
#include <string>
#include <unistd.h>
#include <vector>

// ---- constants -------------------------------------------------------------
constexpr int      kWavMaxOpen       = 4;     // devices open at the same time
constexpr unsigned kWavChunkFrames   = 256;   // frames per read: one game buffer at 22050 Hz stereo
constexpr unsigned kWavMaxFrameBytes = 4;     // 16-bit stereo
constexpr unsigned kWavRingFrames    = 8192;  // about 0.37 s at 22050 Hz: room for a stalled thread
constexpr int      kWavPollMs        = 20;    // longest a stop or close waits for the thread
constexpr int      kWavNapMs         = 5;     // pause after a read that gave nothing
constexpr long     kWavNsPerSec      = 1000000000L;
// Opening a PCM can block whatever the flags say (ALSA's file plugin opens
// its infile without O_NONBLOCK; a busy card may wait for its owner), so
// each open runs on a helper and is given up after this long. A working
// device opens in a few milliseconds; a slow sound server gets a margin.
constexpr int      kWavOpenWaitMs    = 1000;
constexpr int      kWavMaxStuck      = 4;     // opens given up on whose helpers are still blocked
// A capture thread can be stuck in ALSA's read as an open can (a file
// device's FIFO whose writer stays silent, a sound server that died with
// its lock held): a close waits for it as long as an open would.
constexpr int      kWavCloseWaitMs   = kWavOpenWaitMs;

static const char* const kWavDefaultName = "default";

// ---- types -----------------------------------------------------------------
struct WaveInDevice {
    std::atomic<bool> inUse;      // the slot is taken: by an open handle, or by a thread given up on
    bool            live;         // the handle is open for the caller
    snd_pcm_t*      pcm;
    pthread_t       thread;
    pthread_mutex_t lock;
    pthread_cond_t  wake;
    unsigned        frameBytes;
    unsigned        rate;

    // Shared with the capture thread, under `lock`.
    bool           started;
    bool           quit;
    bool           exited;        // the thread is past its last look at the device
    bool           abandoned;     // the close gave up waiting: the thread frees the slot
    WaveHeader*    queued;        // the header the device holds, or null
    unsigned char* queuedData;    // its buffer and length, as they were when queued
    uint32_t       queuedLength;
    uint32_t       queuedFill;    // bytes written into it so far

    // Capture thread only.
    bool          running;        // the ALSA stream is started
    uint64_t      streamFrames;   // frames read since it was started
    timespec      streamStart;
    unsigned char chunk[kWavChunkFrames * kWavMaxFrameBytes];
};

// One open of a PCM, shared by the caller and its helper thread under
// wavJobLock; whichever of the two is done with it last frees it.
struct WavOpenJob {
    std::string      name;
    snd_pcm_format_t format;
    unsigned         channels;
    unsigned         rate;
    bool             keep;        // an open keeps the configured device, a probe only asks

    // Under wavJobLock.
    bool       finished;          // the helper is done and the result is in
    bool       abandoned;         // the caller gave up waiting: the helper cleans up
    int        result;
    snd_pcm_t* pcm;
};

// ---- static data -----------------------------------------------------------
static WaveInDevice             wavSlots[kWavMaxOpen];
static int                      wavNextSlot = 0;
static std::vector<std::string> wavNames;       // device number -> ALSA PCM name
static bool                     wavScanned  = false;
static bool                     wavQuietSet = false;

static pthread_mutex_t wavJobLock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t  wavJobDone;                // on CLOCK_MONOTONIC, set up by wavInit
static WavOpenJob*     wavStuck[kWavMaxStuck];    // under wavJobLock: helpers still blocked

// ---- time ------------------------------------------------------------------
static timespec wavAfter(timespec t, int64_t ns)
{
    ns += t.tv_nsec;
    t.tv_sec += (time_t)(ns / kWavNsPerSec);
    t.tv_nsec = (long)(ns % kWavNsPerSec);
    return t;
}

static bool wavBefore(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

static timespec wavNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

// ---- ALSA set-up -----------------------------------------------------------
// ALSA reports every refused device on stderr; the game's console shows
// only its own lines, and a device that cannot be used just stays unused.
static void wavQuiet(const char*, int, const char*, int, const char*, ...) {}

static void wavInit()
{
    if (wavQuietSet)
        return;
    wavQuietSet = true;
    snd_lib_error_set_handler(wavQuiet);

    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&wavJobDone, &attr);
    pthread_condattr_destroy(&attr);
}

// The libraries ALSA loads for its plugins (JACK's, PulseAudio's) print
// their own complaints on stderr, which the handler above does not reach:
// while devices are looked for, probed and opened, stderr goes nowhere.
// Paired: wavHushEnd takes what wavHushBegin gave.
static int wavHushBegin()
{
    fflush(stderr);
    int saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    int null  = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0)
        dup2(null, STDERR_FILENO);
    if (null >= 0)
        close(null);
    return saved;
}

static void wavHushEnd(int saved)
{
    if (saved < 0)
        return;
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
}

static void wavAddName(const char* name)
{
    for (const std::string& known : wavNames)
        if (known == name)
            return;
    wavNames.push_back(name);
}

static void wavScanNames()
{
    wavInit();
    wavScanned = true;
    wavNames.assign(1, kWavDefaultName);

    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0)
        return;
    for (void** hint = hints; *hint; hint++) {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* ioid = snd_device_name_get_hint(*hint, "IOID");
        // No IOID means the device works both ways.
        if (name && (!ioid || strcmp(ioid, "Input") == 0))
            wavAddName(name);
        free(name);
        free(ioid);
    }
    snd_device_name_free_hint(hints);
}

static void wavScan()
{
    int hush = wavHushBegin();
        wavScanNames();
    wavHushEnd(hush);
}

static void wavEnsureScanned()
{
    if (!wavScanned)
        wavScan();
}

static bool wavKnownDevice(int id)
{
    wavEnsureScanned();
    return id >= 0 && id < (int)wavNames.size();
}

// Narrows the device's configuration space to the format; with `apply` the
// device is also set up for streaming in it.
static bool wavConfigure(snd_pcm_t* pcm, snd_pcm_format_t format, unsigned channels, unsigned rate,
                         bool apply)
{
    snd_pcm_hw_params_t* hw = nullptr;
    if (snd_pcm_hw_params_malloc(&hw) < 0)
        return false;
    bool ok = snd_pcm_hw_params_any(pcm, hw) >= 0
           && snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0
           && snd_pcm_hw_params_set_format(pcm, hw, format) >= 0
           && snd_pcm_hw_params_set_channels(pcm, hw, channels) >= 0
           && snd_pcm_hw_params_set_rate(pcm, hw, rate, 0) >= 0;
    if (ok && apply) {
        snd_pcm_uframes_t period = kWavChunkFrames;
        snd_pcm_uframes_t ring   = kWavRingFrames;
        snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr);
        snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &ring);
        ok = snd_pcm_hw_params(pcm, hw) >= 0;
    }
    snd_pcm_hw_params_free(hw);
    return ok;
}

// ---- opening without blocking ----------------------------------------------
// Lock held. A name whose helper is still blocked would only block again.
static bool wavStuckOn(const std::string& name)
{
    for (WavOpenJob* job : wavStuck)
        if (job && job->name == name)
            return true;
    return false;
}

// Lock held.
static WavOpenJob** wavStuckSlot(WavOpenJob* job)
{
    for (WavOpenJob*& slot : wavStuck)
        if (slot == job)
            return &slot;
    return nullptr;
}

static void* wavOpenThread(void* arg)
{
    WavOpenJob* job    = (WavOpenJob*)arg;
    snd_pcm_t*  pcm    = nullptr;
    int         result = kWavErrOpenFailed;
    if (snd_pcm_open(&pcm, job->name.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) >= 0) {
        result = wavConfigure(pcm, job->format, job->channels, job->rate, job->keep) ? kWavOk
                                                                                      : kWavErrBadFormat;
        if (result != kWavOk || !job->keep) {
            snd_pcm_close(pcm);
            pcm = nullptr;
        }
    }

    pthread_mutex_lock(&wavJobLock);
    bool abandoned = job->abandoned;
    if (abandoned) {
        // The device may open at once next time: let it be tried again.
        *wavStuckSlot(job) = nullptr;
    } else {
        job->finished = true;
        job->result   = result;
        job->pcm      = pcm;
        pthread_cond_broadcast(&wavJobDone);
    }
    pthread_mutex_unlock(&wavJobLock);
    if (abandoned) {
        if (pcm)
            snd_pcm_close(pcm);
        delete job;
    }
    return nullptr;
}

// Opens `name` for capture and narrows it to the format (sets it up too,
// and hands it over in *pcm, when `keep`), waiting for ALSA at most
// kWavOpenWaitMs. Past that the helper is left to finish on its own; its
// name then fails at once until it does, and so does every name while
// kWavMaxStuck helpers are blocked, so that no more threads pile up.
static int wavOpenPcm(const std::string& name, snd_pcm_format_t format, unsigned channels,
                      unsigned rate, bool keep, snd_pcm_t** pcm)
{
    pthread_mutex_lock(&wavJobLock);
    bool refused = wavStuckOn(name) || !wavStuckSlot(nullptr);
    pthread_mutex_unlock(&wavJobLock);
    if (refused)
        return kWavErrOpenFailed;

    WavOpenJob* job = new (std::nothrow) WavOpenJob{name, format, channels, rate, keep,
                                                    false, false, kWavErrOpenFailed, nullptr};
    if (!job)
        return kWavErrNoMemory;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t helper;
    int       created = pthread_create(&helper, &attr, wavOpenThread, job);
    pthread_attr_destroy(&attr);
    if (created != 0) {
        delete job;
        return kWavErrNoMemory;
    }

    timespec until = wavAfter(wavNow(), (int64_t)kWavOpenWaitMs * 1000000);
    pthread_mutex_lock(&wavJobLock);
    while (!job->finished && wavBefore(wavNow(), until))
        pthread_cond_timedwait(&wavJobDone, &wavJobLock, &until);
    bool finished = job->finished;
    if (!finished) {
        // Only this thread fills slots, and one was free above.
        job->abandoned         = true;
        *wavStuckSlot(nullptr) = job;
    }
    pthread_mutex_unlock(&wavJobLock);
    if (!finished)
        return kWavErrOpenFailed;

    int result = job->result;
    if (result == kWavOk && keep)
        *pcm = job->pcm;
    delete job;
    return result;
}

static bool wavCanCapture(const std::string& name)
{
    return wavOpenPcm(name, SND_PCM_FORMAT_U8, 2, 22050, false, nullptr) == kWavOk;
}

static bool wavAlsaFormat(const WaveFormat* f, snd_pcm_format_t* format)
{
    if (f->wFormatTag != kWaveFormatPcm || f->nChannels < 1 || f->nChannels > 2
        || f->nSamplesPerSec == 0)
        return false;
    if (f->wBitsPerSample == 8)
        *format = SND_PCM_FORMAT_U8;
    else if (f->wBitsPerSample == 16)
        *format = SND_PCM_FORMAT_S16_LE;
    else
        return false;
    return f->nBlockAlign == f->wBitsPerSample / 8 * f->nChannels
        && f->nAvgBytesPerSec == f->nBlockAlign * f->nSamplesPerSec;
}

// ---- capture thread --------------------------------------------------------
// Waits with the lock held until `until`, or until a stop or close wakes it.
static void wavSleepUntil(WaveInDevice* dev, const timespec& until)
{
    while (dev->started && !dev->quit && wavBefore(wavNow(), until))
        pthread_cond_timedwait(&dev->wake, &dev->lock, &until);
}

static void wavRestartClock(WaveInDevice* dev)
{
    dev->streamFrames = 0;
    dev->streamStart  = wavNow();
}

static void wavStartStream(WaveInDevice* dev)
{
    snd_pcm_prepare(dev->pcm);
    snd_pcm_start(dev->pcm);
    dev->running = true;
    wavRestartClock(dev);
}

// An overrun or a suspend only loses some sound: start again without a word.
static bool wavRecover(WaveInDevice* dev, int err)
{
    if (snd_pcm_recover(dev->pcm, err, 1) < 0)
        return false;
    snd_pcm_start(dev->pcm);
    wavRestartClock(dev);
    return true;
}

// One read, without the lock: frames read, 0 when the wait ran out or the
// stream was restarted, -1 when the thread should pause before trying again.
static long wavReadChunk(WaveInDevice* dev)
{
    if (!dev->running)
        wavStartStream(dev);
    int ready = snd_pcm_wait(dev->pcm, kWavPollMs);
    if (ready < 0)
        return wavRecover(dev, ready) ? 0 : -1;
    if (ready == 0)
        return 0;
    snd_pcm_sframes_t got = snd_pcm_readi(dev->pcm, dev->chunk, kWavChunkFrames);
    if (got == -EAGAIN || got == 0)
        return -1;
    if (got < 0)
        return wavRecover(dev, (int)got) ? 0 : -1;
    dev->streamFrames += (uint64_t)got;
    return (long)got;
}

// Lock held: copies captured bytes into the queued buffer. Each byte is one
// relaxed atomic store, so the game may read the buffer at any moment.
static void wavDeliver(WaveInDevice* dev, uint32_t count)
{
    if (!dev->queued)
        return;
    uint32_t room = dev->queuedLength - dev->queuedFill;
    uint32_t take = count < room ? count : room;
    for (uint32_t i = 0; i < take; i++)
        std::atomic_ref<unsigned char>(dev->queuedData[dev->queuedFill + i])
            .store(dev->chunk[i], std::memory_order_relaxed);
    dev->queuedFill += take;
}

// Lock held: a source that gives sound faster than it plays (a file, say)
// is held to the sample rate, as a microphone would be.
static void wavPace(WaveInDevice* dev)
{
    int64_t  ns  = (int64_t)(dev->streamFrames * kWavNsPerSec / dev->rate);
    timespec due = wavAfter(dev->streamStart, ns);
    wavSleepUntil(dev, due);
}

static void* wavCaptureThread(void* arg)
{
    WaveInDevice* dev = (WaveInDevice*)arg;
    pthread_mutex_lock(&dev->lock);
    while (!dev->quit) {
        if (!dev->started) {
            if (dev->running) {
                pthread_mutex_unlock(&dev->lock);
                snd_pcm_drop(dev->pcm);
                pthread_mutex_lock(&dev->lock);
                dev->running = false;
                continue;
            }
            pthread_cond_wait(&dev->wake, &dev->lock);
            continue;
        }
        // ALSA is only ever waited on without the lock, so the game's calls never wait on it.
        pthread_mutex_unlock(&dev->lock);
        long got = wavReadChunk(dev);
        pthread_mutex_lock(&dev->lock);
        if (got > 0) {
            wavDeliver(dev, (uint32_t)got * dev->frameBytes);
            wavPace(dev);
        } else if (got < 0) {
            wavSleepUntil(dev, wavAfter(wavNow(), (int64_t)kWavNapMs * 1000000));
        }
    }
    pthread_mutex_unlock(&dev->lock);
    if (dev->running)
        snd_pcm_drop(dev->pcm);

    pthread_mutex_lock(&dev->lock);
    dev->exited          = true;
    const bool abandoned = dev->abandoned;
    pthread_cond_broadcast(&dev->wake);
    pthread_mutex_unlock(&dev->lock);
    if (abandoned) {
        // Nobody holds the handle any more: this thread was the slot's last user.
        snd_pcm_close(dev->pcm);
        pthread_cond_destroy(&dev->wake);
        pthread_mutex_destroy(&dev->lock);
        dev->pcm = nullptr;
        dev->inUse.store(false, std::memory_order_release);
    }
    return nullptr;
}

// ---- handles and headers ---------------------------------------------------
static bool wavLive(WaveInHandle handle)
{
    uintptr_t at   = (uintptr_t)handle;
    uintptr_t base = (uintptr_t)wavSlots;
    if (at < base || at >= base + sizeof wavSlots || (at - base) % sizeof(WaveInDevice) != 0)
        return false;
    return handle->live;
}

static bool wavHeaderUsable(const WaveHeader* header, unsigned size)
{
    return header && size >= sizeof(WaveHeader) && header->lpData && header->dwBufferLength > 0;
}

// Lock held: hands the queued header back to its owner, marked done.
static void wavGiveBack(WaveInDevice* dev)
{
    WaveHeader* header = dev->queued;
    if (!header)
        return;
    header->dwBytesRecorded = dev->queuedFill;
    header->dwFlags         = (header->dwFlags & ~kWaveHdrInQueue) | kWaveHdrDone;
    dev->queued             = nullptr;
}

// Lock held: a buffer the thread has filled goes back at the next call.
static void wavCollect(WaveInDevice* dev)
{
    if (dev->queued && dev->queuedFill == dev->queuedLength)
        wavGiveBack(dev);
}

// ---- device list -----------------------------------------------------------
int wavGetDeviceCount()
{
    wavScan();
    return (int)wavNames.size();
}

int wavGetDeviceCaps(int id, WaveInCaps* caps, unsigned size)
{
    if (!caps || size < sizeof(WaveInCaps))
        return kWavErrInvalidParam;
    if (!wavKnownDevice(id))
        return kWavErrBadDevice;
    const char* name = wavNames[id].c_str();
    memset(caps, 0, sizeof *caps);
    snprintf(caps->szPname, sizeof caps->szPname, "%s", name);
    int hush = wavHushBegin();
        caps->dwFormats = wavCanCapture(wavNames[id]) ? kWaveFormat22kStereo8 : 0;
    wavHushEnd(hush);
    return kWavOk;
}

// ---- open and close --------------------------------------------------------
static WaveInDevice* wavFreeSlot()
{
    // Round the table so a stale handle rarely names a newly opened device.
    for (int i = 0; i < kWavMaxOpen; i++) {
        int slot = (wavNextSlot + i) % kWavMaxOpen;
        if (!wavSlots[slot].inUse.load(std::memory_order_acquire)) {
            wavNextSlot = (slot + 1) % kWavMaxOpen;
            return &wavSlots[slot];
        }
    }
    return nullptr;
}

static bool wavStartThread(WaveInDevice* dev)
{
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&dev->wake, &attr);
    pthread_condattr_destroy(&attr);
    pthread_mutex_init(&dev->lock, nullptr);
    if (pthread_create(&dev->thread, nullptr, wavCaptureThread, dev) == 0)
        return true;
    pthread_cond_destroy(&dev->wake);
    pthread_mutex_destroy(&dev->lock);
    return false;
}

int wavOpen(WaveInHandle* handle, int id, const WaveFormat* format)
{
    snd_pcm_format_t alsaFormat;
    if (!handle || !format)
        return kWavErrInvalidParam;
    if (!wavAlsaFormat(format, &alsaFormat))
        return kWavErrBadFormat;
    if (!wavKnownDevice(id))
        return kWavErrBadDevice;
    WaveInDevice* dev = wavFreeSlot();
    if (!dev)
        return kWavErrNoMemory;

    snd_pcm_t* pcm    = nullptr;
    int        hush   = wavHushBegin();
    int        result = wavOpenPcm(wavNames[id], alsaFormat, format->nChannels,
                                   format->nSamplesPerSec, true, &pcm);
    wavHushEnd(hush);
    if (result != kWavOk)
        return result;

    dev->pcm          = pcm;
    dev->frameBytes   = format->nBlockAlign;
    dev->rate         = format->nSamplesPerSec;
    dev->started      = false;
    dev->quit         = false;
    dev->queued       = nullptr;
    dev->queuedData   = nullptr;
    dev->queuedLength = 0;
    dev->queuedFill   = 0;
    dev->running      = false;
    dev->exited       = false;
    dev->abandoned    = false;
    if (!wavStartThread(dev)) {
        snd_pcm_close(pcm);
        return kWavErrNoMemory;
    }
    dev->inUse.store(true, std::memory_order_relaxed);
    dev->live = true;
    *handle   = dev;
    return kWavOk;
}

int wavClose(WaveInHandle handle)
{
    if (!wavLive(handle))
        return kWavErrInvalidHandle;
    pthread_mutex_lock(&handle->lock);
    handle->quit    = true;
    handle->started = false;
    wavGiveBack(handle);
    pthread_cond_broadcast(&handle->wake);
    const timespec until = wavAfter(wavNow(), (int64_t)kWavCloseWaitMs * 1000000);
    while (!handle->exited && wavBefore(wavNow(), until))
        pthread_cond_timedwait(&handle->wake, &handle->lock, &until);
    const bool exited = handle->exited;
    handle->abandoned = !exited;
    handle->live      = false;
    pthread_mutex_unlock(&handle->lock);
    if (!exited) {
        // Left to finish on its own, as a blocked open is; it frees the slot then.
        pthread_detach(handle->thread);
        return kWavErrStalled;
    }

    pthread_join(handle->thread, nullptr);
    snd_pcm_close(handle->pcm);
    pthread_cond_destroy(&handle->wake);
    pthread_mutex_destroy(&handle->lock);
    handle->pcm = nullptr;
    handle->inUse.store(false, std::memory_order_release);
    return kWavOk;
}

// ---- streaming -------------------------------------------------------------
int wavStart(WaveInHandle handle)
{
    if (!wavLive(handle))
        return kWavErrInvalidHandle;
    pthread_mutex_lock(&handle->lock);
    handle->started = true;
    pthread_cond_signal(&handle->wake);
    pthread_mutex_unlock(&handle->lock);
    return kWavOk;
}

int wavReset(WaveInHandle handle)
{
    if (!wavLive(handle))
        return kWavErrInvalidHandle;
    pthread_mutex_lock(&handle->lock);
    handle->started = false;
    wavGiveBack(handle);
    pthread_cond_signal(&handle->wake);
    pthread_mutex_unlock(&handle->lock);
    return kWavOk;
}

int wavPrepareHeader(WaveInHandle handle, WaveHeader* header, unsigned size)
{
    if (!wavLive(handle))
        return kWavErrInvalidHandle;
    if (!wavHeaderUsable(header, size))
        return kWavErrInvalidParam;
    int result = kWavOk;
    pthread_mutex_lock(&handle->lock);
    wavCollect(handle);
    if (header->dwFlags & kWaveHdrPrepared)
        result = kWavErrUnprepared;
    else
        header->dwFlags |= kWaveHdrPrepared;
    pthread_mutex_unlock(&handle->lock);
    return result;
}

int wavAddBuffer(WaveInHandle handle, WaveHeader* header, unsigned size)
{
    if (!wavLive(handle))
        return kWavErrInvalidHandle;
    if (!wavHeaderUsable(header, size))
        return kWavErrInvalidParam;
    int result = kWavOk;
    pthread_mutex_lock(&handle->lock);
    wavCollect(handle);
    if (!(header->dwFlags & kWaveHdrPrepared)) {
        result = kWavErrUnprepared;
    } else if (handle->queued) {
        result = kWavErrStillQueued;
    } else {
        handle->queued          = header;
        handle->queuedData      = header->lpData;
        handle->queuedLength    = header->dwBufferLength;
        handle->queuedFill      = 0;
        header->dwBytesRecorded = 0;
        header->dwFlags         = (header->dwFlags & ~kWaveHdrDone) | kWaveHdrInQueue;
    }
    pthread_mutex_unlock(&handle->lock);
    return result;
}

int wavUnprepareHeader(WaveInHandle handle, WaveHeader* header, unsigned size)
{
    if (!wavLive(handle))
        return kWavErrInvalidHandle;
    if (!header || size < sizeof(WaveHeader))
        return kWavErrInvalidParam;
    int result = kWavOk;
    pthread_mutex_lock(&handle->lock);
    wavCollect(handle);
    if (handle->queued == header)
        result = kWavErrStillQueued;
    else
        header->dwFlags &= ~kWaveHdrPrepared;
    pthread_mutex_unlock(&handle->lock);
    return result;
}
