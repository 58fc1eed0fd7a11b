// wave_capture.h -- choosing, opening and polling the wave-in device, and the sound throttle.
#pragma once

// ---- constants -------------------------------------------------------------
constexpr int kSoundZeroLevel   = 128;  // unsigned 8-bit silence
constexpr int kSoundReleaseLow  = 127;  // 127 and 128 release the throttle
constexpr int kSoundSpeedBase   = 127;  // speed = (sample - 127) * 75
constexpr int kSoundSpeedFactor = 75;

// ---- functions -------------------------------------------------------------
// Back to the start: no device number typed.
void capReset();
// Lists the devices, reads the player's choice and opens it (last question of the console).
void chooseWaveDevice();
// Opens device `gs.waveDeviceId` in the capture format, then starts it.
void openWaveIn();
// Starts capture and arms the header of the one capture buffer.
void startWaveIn();
// Idle callback: queues the buffer, applies the throttle to its first byte
// as it is now, renders one frame and takes the buffer back.
void captureCycle();
// Stops and closes the device for good.
void closeWaveIn();

// The throttle rule for one sample: quiet samples do nothing, the zero
// level releases the throttle, louder sets the speed (and prints it).
void applySoundThrottle(unsigned char sample);
