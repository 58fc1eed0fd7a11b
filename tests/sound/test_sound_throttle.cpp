// test_sound_throttle.cpp -- the sound-throttle edition: throttle rule, flight constants, device menu and keys.
#include <atomic>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <gtest/gtest.h>
#include <GL/freeglut.h>

#include "alsa_devices.h"
#include "app/config_console.h"
#include "app/edition.h"
#include "app/game_state.h"
#include "flight/controls.h"
#include "flight/flight_model.h"
#include "sound/edition_sound.h"
#include "sound/wave_capture.h"
#include "support/gl_window.h"
#include "support/scratch.h"

constexpr int kPatience = 3;  // seconds a capture may take before the test gives up

class SoundEdition : public testing::Test {
protected:
    void SetUp() override
    {
        glTestWindow();
        editionSelect(kSoundEdition);
    }
    void TearDown() override
    {
        if (gs.waveIn)
            closeWaveIn();
        conSetInput(nullptr);
        editionSelect(kKeyboardEdition);
    }

    static unsigned char firstByte()
    {
        return std::atomic_ref<unsigned char>(gs.sampleBuffer[0]).load(std::memory_order_relaxed);
    }

    // Runs `fn` with the console reading `input`; returns what it printed.
    static std::string withConsole(const char* input, void (*fn)()) { return scriptedConsole(input, fn).out; }

    // Idle cycles until the device has landed a capture with this first
    // byte, then one more, which is sure to have seen it.
    static bool cycleUntil(unsigned char level)
    {
        time_t giveUp = time(nullptr) + kPatience;
        while (firstByte() != level) {
            captureCycleQuietly();
            if (time(nullptr) > giveUp)
                return false;
        }
        captureCycleQuietly();
        return true;
    }

    static void captureCycleQuietly() { capturedStdout(captureCycle); }

    // Opens the named device and cycles until its level has been captured.
    static bool openAndCapture(const char* name, unsigned char level)
    {
        gs.waveDeviceId = alsaTestDeviceId(name);
        withConsole("", openWaveIn);
        return cycleUntil(level);
    }
};

TEST_F(SoundEdition, ThrottleRuleOverTheSampleRange)
{
    // From speed 333 with the throttle open:
    const struct { unsigned char s; int speed; bool accelerating; const char* printed; } cases[] = {
        {0, 333, true, ""},         {126, 333, true, ""},
        {127, 333, false, ""},      {128, 333, false, ""},
        {129, 150, true, "150 "},   {200, 5475, true, "5475 "},
        {255, 9600, true, "9600 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        gs.speed        = 333;
        gs.accelerating = true;
        EXPECT_EQ(capturedStdout([&] { applySoundThrottle(c.s); }), c.printed);
        EXPECT_EQ(gs.speed, c.speed);
        EXPECT_EQ(gs.accelerating, c.accelerating);
    }
}

TEST_F(SoundEdition, TurnsFromTheFirstFrameAndDecaysByFifty)
{
    EXPECT_FLOAT_EQ(gs.turnRate, 0.2f);
    for (int i = 1; i <= 3; i++) {
        updateFlight();
        EXPECT_FLOAT_EQ(gs.heading, 0.2f * i);
    }
    EXPECT_FLOAT_EQ(gs.dirX, (float)std::sin((double)gs.heading));
    EXPECT_EQ(gs.bankAngle, 0.0f);  // turning without an arrow held does not bank

    gs.speed = 225;
    for (int want : {175, 125, 75, 25, 25, 25}) {
        updateFlight();
        EXPECT_EQ(gs.speed, want);
    }
}

TEST_F(SoundEdition, CycleWithoutADeviceActsOnTheBufferAsItIs)
{
    std::atomic_ref<unsigned char>(gs.sampleBuffer[0]).store(200, std::memory_order_relaxed);
    EXPECT_EQ(capturedStdout(captureCycle), "5475 ");
    EXPECT_EQ(gs.speed, 5475 + 200);  // the frame rendered after it already climbs
    EXPECT_TRUE(gs.accelerating);
    EXPECT_FLOAT_EQ(gs.heading, 0.2f);

    std::atomic_ref<unsigned char>(gs.sampleBuffer[0]).store(0, std::memory_order_relaxed);
    captureCycle();
    EXPECT_EQ(gs.speed, 5675 + 200);
    EXPECT_FLOAT_EQ(gs.heading, 0.4f);
}

TEST_F(SoundEdition, DeviceMenuListsUsableDevicesAndOpensTheChoice)
{
    static char answer[16];
    int         loud = alsaTestDeviceId("loud");
    snprintf(answer, sizeof answer, "%d\n", loud);
    std::string out = withConsole(answer, chooseWaveDevice);

    std::string list = "WaveIn devices available on this computer are...\n";
    WaveInCaps  caps;
    for (int id = 0; id < wavGetDeviceCount(); id++)
        if (wavGetDeviceCaps(id, &caps, sizeof caps) == kWavOk && caps.dwFormats)
            list += std::to_string(id) + ") " + caps.szPname + "\n";
    EXPECT_EQ(out, list + "Please choose the wave in deviceOpening WaveIn Device...Done!\n");
    EXPECT_NE(out.find(std::to_string(loud) + ") loud\n"), std::string::npos);
    EXPECT_EQ(out.find("default"), std::string::npos);
    EXPECT_EQ(out.find("broken"), std::string::npos);

    EXPECT_EQ(gs.waveDeviceId, loud);
    EXPECT_NE(gs.waveIn, nullptr);
    EXPECT_EQ(gs.waveFormat.wFormatTag, 1);
    EXPECT_EQ(gs.waveFormat.nChannels, 2);
    EXPECT_EQ(gs.waveFormat.nSamplesPerSec, 22050u);
    EXPECT_EQ(gs.waveFormat.wBitsPerSample, 8);
    EXPECT_EQ(gs.waveFormat.nBlockAlign, 2);
    EXPECT_EQ(gs.waveFormat.nAvgBytesPerSec, 44100u);
    EXPECT_EQ(gs.waveFormat.cbSize, 0);
    EXPECT_EQ(gs.waveHeader.lpData, gs.sampleBuffer);
    EXPECT_EQ(gs.waveHeader.dwBufferLength, 512u);
}

TEST_F(SoundEdition, RepliesThatOpenNothingLeaveTheKeysInCharge)
{
    // No "default" device here, so device 0 does not open either.
    const struct { const char* reply; const char* named; } cases[] = {
        {"abc\n", "0"},  {"", "0"},        {"\n5\n", "0"},  // Enter alone answers at once
        {"99\n", "99"},  {"-4\n", "-4"},
        {"4294967297\n", "4294967297"},   {"99999999999\n", "99999999999"},
        {" -2147483649 x\n", "-2147483649"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        editionSelect(kSoundEdition);
        std::string out = withConsole(c.reply, chooseWaveDevice);
        EXPECT_NE(out.find(std::string("Opening WaveIn Device...Done!\nDevice ") + c.named +
                           " cannot capture sound: flying without the sound throttle.\n"),
                  std::string::npos) << out;
        EXPECT_EQ(gs.waveIn, nullptr);
        for (int i = 0; i < 5; i++)
            captureCycle();
        EXPECT_EQ(gs.speed, 0);
        EXPECT_EQ(firstByte(), 0);
    }
}

TEST_F(SoundEdition, ConsoleEndsWithTheDeviceMenuEvenWhenSkipped)
{
    static char answer[16];
    snprintf(answer, sizeof answer, "x%d\n", alsaTestDeviceId("silent"));
    std::string out = withConsole(answer, runConfigConsole);
    size_t prompt  = out.find("Any other key to use the config utility. WaveIn devices available");
    size_t opened  = out.find("Please choose the wave in deviceOpening WaveIn Device...Done!\n");
    ASSERT_NE(prompt, std::string::npos) << out;
    ASSERT_NE(opened, std::string::npos) << out;
    EXPECT_EQ(out.substr(opened), "Please choose the wave in deviceOpening WaveIn Device...Done!\n"
                                  "\n\n\nOk...Loading the game...\n\n");
    EXPECT_NE(gs.waveIn, nullptr);
}

TEST_F(SoundEdition, LoudSoundDrivesTheSpeedAndSilenceReleasesIt)
{
    ASSERT_TRUE(openAndCapture("loud", kLoudLevel));
    EXPECT_EQ(capturedStdout(captureCycle), "9600 ");
    EXPECT_TRUE(gs.accelerating);
    closeWaveIn();
    EXPECT_EQ(gs.waveIn, nullptr);

    ASSERT_TRUE(openAndCapture("near", kNearLevel));
    EXPECT_FALSE(gs.accelerating);
    int speed = gs.speed;
    captureCycle();
    EXPECT_EQ(gs.speed, speed - 50);  // released: the speed decays

    closeWaveIn();
    ASSERT_TRUE(openAndCapture("quiet", kQuietLevel));
    gs.speed        = 1000;
    gs.accelerating = true;
    captureCycle();  // below the zero level: ignored
    EXPECT_TRUE(gs.accelerating);
    EXPECT_EQ(gs.speed, 1200);
}

TEST_F(SoundEdition, DownArrowAndGDriveTheDevice)
{
    ASSERT_TRUE(openAndCapture("level200", kLevel200));

    capturedStdout([] { onSpecialKey(GLUT_KEY_DOWN, 0, 0); });
    EXPECT_TRUE(gs.accelerating);
    EXPECT_NE(gs.waveIn, nullptr);
    EXPECT_EQ(gs.waveHeader.dwBufferLength, 512u);

    onSpecialKeyUp(GLUT_KEY_DOWN, 0, 0);
    EXPECT_FALSE(gs.accelerating);
    EXPECT_EQ(gs.waveIn, nullptr);

    // Closed for good: the last capture goes on driving the throttle.
    float heading = gs.heading;
    EXPECT_EQ(capturedStdout([] {
                  onKey('g', 0, 0);
                  captureCycle();
              }), "5475 5475 ");
    EXPECT_FLOAT_EQ(gs.heading, heading + 0.4f);  // 'g' rendered a frame of its own
    EXPECT_EQ(gs.waveIn, nullptr);
}
