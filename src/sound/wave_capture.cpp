// wave_capture.cpp -- the sound-throttle edition's device menu, capture cycle and throttle rule.
#include "sound/wave_capture.h"

#include <atomic>
#include <cstdio>

#include "app/command_line.h"
#include "demo/demo.h"
#include "app/game_state.h"
#include "app/whole_number.h"
#include "platform/console.h"
#include "platform/wavein.h"
#include "render/frame.h"

// ---- constants -------------------------------------------------------------
constexpr uint16_t kCapChannels   = 2;
constexpr uint32_t kCapSampleRate = 22050;
constexpr uint16_t kCapBits       = 8;
constexpr int      kCapReplySize  = 80;   // longer replies are cut, the number is at their start
constexpr int      kCapNotListed  = -1;   // the device number of a reply too large for any device

// ---- data ------------------------------------------------------------------
static struct {
    // A number too large for a device number is named as typed.
    char typedNumber[kCapReplySize] = {};
} cap;

void capReset()
{
    cap = {};
}

// ---- device menu -----------------------------------------------------------
// Takes the reply the way "%d" reads a number (blanks, a sign, digits), but a
// number too large for an int names no device instead of a wrapped one, and
// an empty reply is no number: device 0, at once.
static void capTakeReply(const char* reply)
{
    cap.typedNumber[0] = '\0';
    const char* at = reply;
    while (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\v' || *at == '\f')
        at++;
    const NumRead n = numRead(at, true);
    if (!n.digits)
        return;  // not a number: the id stays as it was
    if (n.fits) {
        gs.waveDeviceId = (int)n.value;
        return;
    }
    gs.waveDeviceId = kCapNotListed;
    snprintf(cap.typedNumber, sizeof cap.typedNumber, "%.*s", (int)(n.end - at), at);
}

void chooseWaveDevice()
{
    printf("WaveIn devices available on this computer are...\n");
    for (int id = 0; id < wavGetDeviceCount(); id++) {
        wavGetDeviceCaps(id, &gs.waveDeviceCaps, sizeof gs.waveDeviceCaps);
        if (gs.waveDeviceCaps.dwFormats != 0)
            printf("%d) %s\n", id, gs.waveDeviceCaps.szPname);
    }
    printf("Please choose the wave in device");
    if (cmdSettings.answers.deviceSet) {
        // Shown as if typed, so the console tells which device was meant.
        printf("%d\n", cmdSettings.answers.device);
        gs.waveDeviceId   = cmdSettings.answers.device;
        cap.typedNumber[0] = '\0';
    } else {
        // No number (or no input at all) leaves device 0, the system's default.
        char reply[kCapReplySize];
        conReadLine(reply, sizeof reply);
        capTakeReply(reply);
    }
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
    bool opened = !cap.typedNumber[0] && wavOpen(&gs.waveIn, gs.waveDeviceId, &gs.waveFormat) == kWavOk;
    printf("Done!\n");
    if (!opened && cap.typedNumber[0])
        printf("Device %s cannot capture sound: flying without the sound throttle.\n", cap.typedNumber);
    else if (!opened)
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
        gs.consoleMidLine = true;
        fflush(stdout);
    }
}

void captureCycle()
{
    wavPrepareHeader(gs.waveIn, &gs.waveHeader, sizeof gs.waveHeader);
    wavAddBuffer(gs.waveIn, &gs.waveHeader, sizeof gs.waveHeader);
    // The device may be writing this very byte: take whatever it holds now
    // (a demo records it, a timedemo has it from its file).
    applySoundThrottle(demoSample(std::atomic_ref<unsigned char>(gs.sampleBuffer[0]).load(std::memory_order_relaxed)));
    renderFrame();
    wavUnprepareHeader(gs.waveIn, &gs.waveHeader, sizeof gs.waveHeader);
}

void closeWaveIn()
{
    wavReset(gs.waveIn);
    // The one result looked at: a device that stopped answering is left
    // behind rather than waited for, and the player is told why the sound
    // no longer steers.
    if (wavClose(gs.waveIn) == kWavErrStalled) {
        printf("%sThe capture device stopped answering: flying without the sound throttle.\n",
               gs.consoleMidLine ? "\n" : "");
        gs.consoleMidLine = false;
    }
    gs.waveIn = nullptr;
}
