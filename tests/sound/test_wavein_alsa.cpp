// test_wavein_alsa.cpp -- the wave-in layer over real ALSA, capturing from file-backed devices.
#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>

#include "alsa_devices.h"
#include "platform/wavein.h"

constexpr int kBufferBytes = 512;
constexpr int kPatience    = 3;  // seconds a capture may take before the test gives up
constexpr int kHangLimit   = 60; // seconds before SIGALRM ends a test whose probe blocked

static const WaveFormat kGameFormat = {kWaveFormatPcm, 2, 22050, 44100, 2, 8, 0};

// An open that waited anew on a blocked device would leave one more thread.
static int threadCount()
{
    int  count = 0;
    DIR* tasks = opendir("/proc/self/task");
    while (dirent* entry = readdir(tasks))
        count += entry->d_name[0] != '.';
    closedir(tasks);
    return count;
}

static uint32_t formatsOf(int id)
{
    WaveInCaps caps = {};
    EXPECT_EQ(wavGetDeviceCaps(id, &caps, sizeof caps), kWavOk);
    return caps.dwFormats;
}

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
        ASSERT_GT(alsaTestDeviceId(name), 0) << name;
        EXPECT_EQ(formatsOf(alsaTestDeviceId(name)), kWaveFormat22kStereo8) << name;
    }
    ASSERT_GT(alsaTestDeviceId("broken"), 0);
    EXPECT_EQ(formatsOf(alsaTestDeviceId("broken")), 0u);

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
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
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
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    expectAll(0xCD);
}

TEST_F(WaveIn, ADeviceWhoseOpenBlocksIsPassedOver)
{
    alarm(kHangLimit);
    std::set<std::string> usable;
    WaveInCaps            caps;
    for (int id = 0; id < wavGetDeviceCount(); id++)
        if (wavGetDeviceCaps(id, &caps, sizeof caps) == kWavOk && caps.dwFormats)
            usable.insert(caps.szPname);
    std::string cut(kLongDeviceName, sizeof caps.szPname - 1);
    EXPECT_EQ(usable, (std::set<std::string>{"loud", "level200", "silent", "near", "quiet", cut}));

    int stuck = alsaTestDeviceId(kStuckDeviceName);
    ASSERT_GT(stuck, 0) << "listed by name, only not usable";
    int          threads = threadCount();
    WaveInHandle never   = nullptr;
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(formatsOf(stuck), 0u);
        EXPECT_EQ(wavOpen(&never, stuck, &kGameFormat), kWavErrOpenFailed);
    }
    EXPECT_EQ(never, nullptr);
    EXPECT_LE(threadCount(), threads);
    alarm(0);
}

TEST_F(WaveIn, ADeviceThatOpensOnceReleasedIsTriedAgain)
{
    alarm(kHangLimit);
    int stuck = alsaTestDeviceId(kStuckDeviceName);
    ASSERT_GT(stuck, 0);
    ASSERT_EQ(formatsOf(stuck), 0u);

    // The blocked open is the FIFO's reader, so a writer opens at once and
    // lets it finish; the device is passed over until its helper is done.
    int writer = ::open(alsaTestFifoPath().c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    time_t giveUp = time(nullptr) + kPatience;
    while (formatsOf(stuck) == 0 && time(nullptr) <= giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(formatsOf(stuck), kWaveFormat22kStereo8);
    EXPECT_EQ(wavOpen(&dev, stuck, &kGameFormat), kWavOk);
    EXPECT_EQ(wavClose(dev), kWavOk);
    dev = nullptr;

    close(writer);
    EXPECT_EQ(formatsOf(stuck), 0u) << "blocks again without a writer";
    alarm(0);
}
