// alsa_devices.h -- capture devices for the tests: ALSA file PCMs that play back generated recordings.
#pragma once

#include <string>

// Levels of the recordings, each the same byte throughout.
constexpr unsigned char kLoudLevel   = 255;
constexpr unsigned char kLevel200    = 200;
constexpr unsigned char kSilentLevel = 128;
constexpr unsigned char kNearLevel   = 127;
constexpr unsigned char kQuietLevel  = 100;

// A device whose name is longer than a device record holds.
extern const char* const kLongDeviceName;
// A device whose open blocks until its FIFO (alsaTestFifoPath) has a writer.
extern const char* const kStuckDeviceName;

// Before the first test, the recordings and an ALSA configuration naming them
// ("loud", "level200", "silent", "near", "quiet", a "broken" device that cannot
// open, the long name and the stuck device; no "default") are written into a
// fresh temporary folder that ALSA_CONFIG_PATH names, and removed after the last.
std::string alsaTestFifoPath();

// Number of the named device in the wave-in list, -1 when it is not listed.
int alsaTestDeviceId(const char* name);
