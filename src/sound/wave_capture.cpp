// wave_capture.cpp -- the sound-throttle edition's device menu, capture cycle and throttle rule.
#include "sound/wave_capture.h"

#include <atomic>
#include <cstdio>

#include "app/game_state.h"
#include "platform/console.h"
#include "platform/wavein.h"
#include "render/frame.h"

// ---- constants -------------------------------------------------------------
constexpr uint16_t kCapChannels   = 2;
constexpr uint32_t kCapSampleRate = 22050;
constexpr uint16_t kCapBits       = 8;

// ---- device menu -----------------------------------------------------------
void chooseWaveDevice()
{
    printf("WaveIn devices available on this computer are...\n");
    for (int id = 0; id < wavGetDeviceCount(); id++) {
        wavGetDeviceCaps(id, &gs.waveDeviceCaps, sizeof gs.waveDeviceCaps);
        if (gs.waveDeviceCaps.dwFormats != 0)
            printf("%d) %s\n", id, gs.waveDeviceCaps.szPname);
    }
    printf("Please choose the wave in device");
    // No number (or no input at all) leaves device 0, the system's default.
    conReadInt(&gs.waveDeviceId);
    openWaveIn();
}

void openWaveIn()
{
    printf("Opening WaveIn Device...");
    fflush(stdout);

    gs.waveFormat.wFormatTag      = kWaveFormatPcm;
    gs.waveFormat.nChannels       = kCapChannels;
    gs.waveFormat.nSamplesPerSec  = kCapSampleRate;
    gs.waveFormat.wBitsPerSample  = kCapBits;
    gs.waveFormat.nBlockAlign     = gs.waveFormat.wBitsPerSample / 8 * gs.waveFormat.nChannels;
    gs.waveFormat.nAvgBytesPerSec = gs.waveFormat.nBlockAlign * gs.waveFormat.nSamplesPerSec;
    gs.waveFormat.cbSize          = 0;

    // A device that does not open leaves the handle null: every later call
    // then does nothing and the game flies by the keys alone. The step's
    // "Done!" stays as the dialogue has always shown it; the line after it
    // keeps the failure from passing for a success.
    bool opened = wavOpen(&gs.waveIn, gs.waveDeviceId, &gs.waveFormat) == kWavOk;
    printf("Done!\n");
    if (!opened)
        printf("Device %d cannot capture sound: flying without the sound throttle.\n", gs.waveDeviceId);
    startWaveIn();
}

// ---- capture ---------------------------------------------------------------
void startWaveIn()
{
    wavStart(gs.waveIn);
    gs.waveHeader.lpData         = gs.sampleBuffer;
    gs.waveHeader.dwBufferLength = kSampleBufferSize;
    gs.waveHeader.dwFlags        = 0;
}

void applySoundThrottle(unsigned char sample)
{
    if (sample == kSoundReleaseLow || sample == kSoundZeroLevel) {
        gs.accelerating = false;
    } else if (sample > kSoundZeroLevel) {
        gs.speed        = (sample - kSoundSpeedBase) * kSoundSpeedFactor;
        gs.accelerating = true;
        printf("%d ", gs.speed);
        fflush(stdout);
    }
}

void captureCycle()
{
    wavPrepareHeader(gs.waveIn, &gs.waveHeader, sizeof gs.waveHeader);
    wavAddBuffer(gs.waveIn, &gs.waveHeader, sizeof gs.waveHeader);
    // The device may be writing this very byte: take whatever it holds now.
    applySoundThrottle(std::atomic_ref<unsigned char>(gs.sampleBuffer[0]).load(std::memory_order_relaxed));
    renderFrame();
    wavUnprepareHeader(gs.waveIn, &gs.waveHeader, sizeof gs.waveHeader);
}

void closeWaveIn()
{
    wavReset(gs.waveIn);
    wavClose(gs.waveIn);
    gs.waveIn = nullptr;
}
