// test_wavein_alsa.cpp -- the wave-in layer over real ALSA, capturing from file-backed devices.
#include <atomic>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>

#include "alsa_devices.h"
#include "platform/wavein.h"

constexpr int kBufferBytes = 512;
constexpr int kPatience    = 3;  // seconds a capture may take before the test gives up

class AlsaDevices : public testing::Environment {
public:
    void SetUp() override { alsaTestDevicesInstall(); }
    void TearDown() override { alsaTestDevicesRemove(); }
};
static testing::Environment* const kAlsaDevices = testing::AddGlobalTestEnvironment(new AlsaDevices);

static const WaveFormat kGameFormat = {kWaveFormatPcm, 2, 22050, 44100, 2, 8, 0};

class WaveIn : public testing::Test {
protected:
    unsigned char buffer[kBufferBytes];
    WaveHeader    header;
    WaveInHandle  dev = nullptr;

    void SetUp() override { arm(0xAB); }
    void TearDown() override
    {
        if (dev)
            wavClose(dev);
    }

    void arm(unsigned char fill)
    {
        for (unsigned char& b : buffer)
            std::atomic_ref<unsigned char>(b).store(fill, std::memory_order_relaxed);
        header = {buffer, kBufferBytes, 0, 0};
    }

    unsigned char byteAt(int i) { return std::atomic_ref<unsigned char>(buffer[i]).load(std::memory_order_relaxed); }

    void open(const char* name)
    {
        int id = alsaTestDeviceId(name);
        ASSERT_GE(id, 0) << name << " is not listed";
        ASSERT_EQ(wavOpen(&dev, id, &kGameFormat), kWavOk);
        ASSERT_NE(dev, nullptr);
    }

    // Queues the buffer and takes it back once the device has filled it.
    bool captureOnce()
    {
        EXPECT_EQ(wavPrepareHeader(dev, &header, sizeof header), kWavOk);
        EXPECT_EQ(wavAddBuffer(dev, &header, sizeof header), kWavOk);
        time_t giveUp = time(nullptr) + kPatience;
        while (wavUnprepareHeader(dev, &header, sizeof header) == kWavErrStillQueued) {
            byteAt(0);  // the game reads while the device writes
            if (time(nullptr) > giveUp)
                return false;
        }
        return true;
    }

    void expectAll(unsigned char level)
    {
        for (int i = 0; i < kBufferBytes; i++)
            ASSERT_EQ(byteAt(i), level) << "byte " << i;
    }
};

TEST_F(WaveIn, ListsEveryDeviceWithItsFormatMask)
{
    int count = wavGetDeviceCount();
    ASSERT_GE(count, 8);
    WaveInCaps caps;
    ASSERT_EQ(wavGetDeviceCaps(0, &caps, sizeof caps), kWavOk);
    EXPECT_STREQ(caps.szPname, "default");
    EXPECT_EQ(caps.dwFormats, 0u) << "this configuration defines no default device";

    const char* usable[] = {"loud", "level200", "silent", "near", "quiet"};
    for (const char* name : usable) {
        int id = alsaTestDeviceId(name);
        ASSERT_GT(id, 0) << name;
        ASSERT_EQ(wavGetDeviceCaps(id, &caps, sizeof caps), kWavOk);
        EXPECT_EQ(caps.dwFormats, kWaveFormat22kStereo8) << name;
    }
    int broken = alsaTestDeviceId("broken");
    ASSERT_GT(broken, 0);
    ASSERT_EQ(wavGetDeviceCaps(broken, &caps, sizeof caps), kWavOk);
    EXPECT_EQ(caps.dwFormats, 0u);

    int cut = alsaTestDeviceId(kLongDeviceName);
    ASSERT_GT(cut, 0);
    memset(&caps, 'z', sizeof caps);
    ASSERT_EQ(wavGetDeviceCaps(cut, &caps, sizeof caps), kWavOk);
    EXPECT_EQ(strlen(caps.szPname), sizeof caps.szPname - 1) << "cut to fit, NUL-terminated";
    EXPECT_NE(caps.dwFormats, 0u);
}

TEST_F(WaveIn, BadQueriesLeaveTheRecordAlone)
{
    WaveInCaps caps;
    memset(&caps, 'z', sizeof caps);
    WaveInCaps before = caps;
    EXPECT_EQ(wavGetDeviceCaps(-1, &caps, sizeof caps), kWavErrBadDevice);
    EXPECT_EQ(wavGetDeviceCaps(wavGetDeviceCount(), &caps, sizeof caps), kWavErrBadDevice);
    EXPECT_EQ(wavGetDeviceCaps(1, &caps, sizeof caps - 1), kWavErrInvalidParam);
    EXPECT_EQ(wavGetDeviceCaps(1, nullptr, sizeof caps), kWavErrInvalidParam);
    EXPECT_EQ(memcmp(&caps, &before, sizeof caps), 0);
}

TEST_F(WaveIn, RecordingsArriveInTheQueuedBuffer)
{
    const struct { const char* name; unsigned char level; } cases[] = {
        {"loud", kLoudLevel}, {"silent", kSilentLevel}, {"near", kNearLevel}, {"quiet", kQuietLevel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        arm(0xAB);
        open(c.name);
        ASSERT_EQ(wavStart(dev), kWavOk);
        ASSERT_TRUE(captureOnce());
        expectAll(c.level);
        EXPECT_EQ(header.dwBytesRecorded, (uint32_t)kBufferBytes);
        EXPECT_EQ(header.dwFlags, kWaveHdrDone);
        EXPECT_EQ(wavReset(dev), kWavOk);
        EXPECT_EQ(wavClose(dev), kWavOk);
        dev = nullptr;
    }
}

TEST_F(WaveIn, BufferIsRequeuedAgainAndAgain)
{
    open("level200");
    ASSERT_EQ(wavStart(dev), kWavOk);
    for (int i = 0; i < 20; i++) {
        arm(0);
        ASSERT_TRUE(captureOnce()) << "capture " << i;
        ASSERT_EQ(byteAt(0), kLevel200);
    }
}

TEST_F(WaveIn, HeaderRulesOnAStoppedDevice)
{
    open("loud");  // never started: nothing is captured
    WaveHeader copy = header;
    EXPECT_EQ(wavAddBuffer(dev, &header, sizeof header), kWavErrUnprepared);
    EXPECT_EQ(memcmp(&copy, &header, sizeof header), 0);

    EXPECT_EQ(wavPrepareHeader(dev, &header, sizeof header), kWavOk);
    EXPECT_EQ(header.dwFlags, kWaveHdrPrepared);
    EXPECT_EQ(wavPrepareHeader(dev, &header, sizeof header), kWavErrUnprepared);
    EXPECT_EQ(wavAddBuffer(dev, &header, sizeof header), kWavOk);
    EXPECT_EQ(header.dwFlags, kWaveHdrPrepared | kWaveHdrInQueue);
    EXPECT_EQ(wavAddBuffer(dev, &header, sizeof header), kWavErrStillQueued);
    EXPECT_EQ(wavUnprepareHeader(dev, &header, sizeof header), kWavErrStillQueued);
    EXPECT_EQ(header.dwFlags, kWaveHdrPrepared | kWaveHdrInQueue);

    // Reset gives the buffer back as it is: done, with nothing recorded.
    EXPECT_EQ(wavReset(dev), kWavOk);
    EXPECT_EQ(header.dwFlags, kWaveHdrPrepared | kWaveHdrDone);
    EXPECT_EQ(header.dwBytesRecorded, 0u);
    EXPECT_EQ(wavUnprepareHeader(dev, &header, sizeof header), kWavOk);
    EXPECT_EQ(header.dwFlags, kWaveHdrDone);
    expectAll(0xAB);

    WaveHeader empty = {nullptr, kBufferBytes, 0, 0};
    EXPECT_EQ(wavPrepareHeader(dev, &empty, sizeof empty), kWavErrInvalidParam);
    EXPECT_EQ(wavPrepareHeader(dev, &header, sizeof header - 1), kWavErrInvalidParam);
}

TEST_F(WaveIn, ResetStopsTheCaptureUntilTheNextStart)
{
    open("loud");
    ASSERT_EQ(wavStart(dev), kWavOk);
    ASSERT_TRUE(captureOnce());
    ASSERT_EQ(wavReset(dev), kWavOk);

    arm(0xAB);
    ASSERT_EQ(wavPrepareHeader(dev, &header, sizeof header), kWavOk);
    ASSERT_EQ(wavAddBuffer(dev, &header, sizeof header), kWavOk);
    struct timespec pause = {0, 100 * 1000 * 1000};
    nanosleep(&pause, nullptr);
    EXPECT_EQ(wavUnprepareHeader(dev, &header, sizeof header), kWavErrStillQueued);
    expectAll(0xAB);

    ASSERT_EQ(wavStart(dev), kWavOk);
    time_t giveUp = time(nullptr) + kPatience;
    while (wavUnprepareHeader(dev, &header, sizeof header) == kWavErrStillQueued)
        ASSERT_LE(time(nullptr), giveUp);
    expectAll(kLoudLevel);
}

TEST_F(WaveIn, ClosedAndUnopenedHandlesDoNothing)
{
    WaveInHandle never = nullptr;
    EXPECT_EQ(wavOpen(&never, wavGetDeviceCount() + 3, &kGameFormat), kWavErrBadDevice);
    EXPECT_EQ(wavOpen(&never, 0, &kGameFormat), kWavErrOpenFailed);  // no default here
    EXPECT_EQ(wavOpen(&never, alsaTestDeviceId("broken"), &kGameFormat), kWavErrOpenFailed);
    WaveFormat odd = kGameFormat;
    odd.wBitsPerSample = 12;
    EXPECT_EQ(wavOpen(&never, alsaTestDeviceId("loud"), &odd), kWavErrBadFormat);
    EXPECT_EQ(never, nullptr);

    open("loud");
    ASSERT_EQ(wavStart(dev), kWavOk);
    ASSERT_EQ(wavPrepareHeader(dev, &header, sizeof header), kWavOk);
    ASSERT_EQ(wavAddBuffer(dev, &header, sizeof header), kWavOk);
    WaveInHandle stale = dev;
    ASSERT_EQ(wavClose(dev), kWavOk);  // gives back the queued buffer and stops the thread
    dev = nullptr;
    EXPECT_EQ(header.dwFlags & kWaveHdrInQueue, 0u);

    // Not a device at all: an address that the layer never handed out.
    WaveInHandle bogus = (WaveInHandle)(void*)&header;
    for (WaveInHandle h : {never, stale, bogus}) {
        arm(0xCD);
        WaveHeader copy = header;
        EXPECT_EQ(wavStart(h), kWavErrInvalidHandle);
        EXPECT_EQ(wavPrepareHeader(h, &header, sizeof header), kWavErrInvalidHandle);
        EXPECT_EQ(wavAddBuffer(h, &header, sizeof header), kWavErrInvalidHandle);
        EXPECT_EQ(wavUnprepareHeader(h, &header, sizeof header), kWavErrInvalidHandle);
        EXPECT_EQ(wavReset(h), kWavErrInvalidHandle);
        EXPECT_EQ(wavClose(h), kWavErrInvalidHandle);
        EXPECT_EQ(memcmp(&copy, &header, sizeof header), 0);
    }
    struct timespec pause = {0, 50 * 1000 * 1000};
    nanosleep(&pause, nullptr);
    expectAll(0xCD);
}
