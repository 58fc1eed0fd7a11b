// wavein.h -- sound capture layer: a small wave-in style device API over ALSA.
#pragma once

#include <cstdint>

// ---- constants -------------------------------------------------------------
constexpr int      kWaveNameLength   = 32;
constexpr uint16_t kWaveFormatPcm    = 1;
constexpr uint32_t kWaveHdrDone      = 0x01;
constexpr uint32_t kWaveHdrPrepared  = 0x02;
constexpr uint32_t kWaveHdrInQueue   = 0x10;

// The one format bit a device reports: it can capture 8-bit stereo at 22050 Hz.
constexpr uint32_t kWaveFormat22kStereo8 = 0x20;

// Results of the calls: 0 is success, anything else means nothing was done.
constexpr int kWavOk              = 0;
constexpr int kWavErrBadDevice    = 2;   // no device with that number
constexpr int kWavErrInvalidHandle = 5;  // null, closed or never opened
constexpr int kWavErrNoMemory     = 7;
constexpr int kWavErrInvalidParam = 11;
constexpr int kWavErrBadFormat    = 32;  // the device cannot capture in that format
constexpr int kWavErrStillQueued  = 33;  // the device still holds the buffer
constexpr int kWavErrUnprepared   = 34;  // the header is not (or already) prepared
constexpr int kWavErrOpenFailed   = 35;  // the sound system refused the device
constexpr int kWavErrStalled      = 36;  // closed without waiting for a device that stopped answering

// ---- types -----------------------------------------------------------------
struct WaveInCaps {
    char     szPname[kWaveNameLength];  // always NUL-terminated
    uint32_t dwFormats;                 // non-zero: the device captures in the game's format
};

struct WaveFormat {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
};

// Only the caller writes a header's fields; the device writes nothing but the
// bytes of lpData (one relaxed atomic store each, so the caller may read them
// at any moment with relaxed atomic loads). Done, InQueue and dwBytesRecorded
// are brought up to date by the next call made with the header's device.
struct WaveHeader {
    unsigned char* lpData;
    uint32_t       dwBufferLength;
    uint32_t       dwBytesRecorded;
    uint32_t       dwFlags;
};

struct WaveInDevice;
using WaveInHandle = WaveInDevice*;

// ---- functions -------------------------------------------------------------
// Every call is made from one thread of the program. A call that cannot be
// carried out returns an error and changes nothing; none of them blocks for
// longer than it takes the capture thread to notice a stop, except that a
// probe or an open waits up to about a second for a device to open, and a
// close as long for a device to let go. One that
// does not open in that time counts as unusable, and later probes and opens
// of it fail at once for as long as it stays blocked.

// Capture devices, numbered from 0: the sound system's default first, then
// every capture device it lists. Asking the count looks for devices afresh.
int wavGetDeviceCount();
// Name and format mask of device `id`; `size` is sizeof(WaveInCaps).
int wavGetDeviceCaps(int id, WaveInCaps* caps, unsigned size);

// Opens device `id` for capture in `format`; on success stores the handle
// in *handle (untouched on failure). Capture waits for wavStart.
int wavOpen(WaveInHandle* handle, int id, const WaveFormat* format);
// Starts (or goes on) capturing into the buffer queued now or later.
int wavStart(WaveInHandle handle);
// Readies a header for queuing; fails on one already prepared.
int wavPrepareHeader(WaveInHandle handle, WaveHeader* header, unsigned size);
// Queues a prepared header; the device holds one buffer at a time and fills
// it from the sound captured after this call, then lets it go.
int wavAddBuffer(WaveInHandle handle, WaveHeader* header, unsigned size);
// Takes a header back; fails while the device still holds it.
int wavUnprepareHeader(WaveInHandle handle, WaveHeader* header, unsigned size);
// Stops capturing and gives back the queued buffer, marked done.
int wavReset(WaveInHandle handle);
// Stops, gives back any buffer and closes; the handle is dead afterwards.
// A device that does not let go within about a second (its sound stopped
// coming without an end) is left behind: kWavErrStalled, the handle dead
// all the same.
int wavClose(WaveInHandle handle);
