// wavein.h -- sound capture layer: a small wave-in style device API over ALSA.
#pragma once

#include <cstdint>

// ---- constants -------------------------------------------------------------
constexpr int      kWaveNameLength   = 32;
constexpr uint16_t kWaveFormatPcm    = 1;
constexpr uint32_t kWaveHdrDone      = 0x01;
constexpr uint32_t kWaveHdrPrepared  = 0x02;
constexpr uint32_t kWaveHdrInQueue   = 0x10;

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

struct WaveHeader {
    unsigned char* lpData;
    uint32_t       dwBufferLength;
    uint32_t       dwBytesRecorded;
    uint32_t       dwFlags;
};

struct WaveInDevice;
using WaveInHandle = WaveInDevice*;
