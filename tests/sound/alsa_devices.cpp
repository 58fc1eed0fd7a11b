// alsa_devices.cpp -- writes the test recordings and the ALSA configuration that plays them.
#include "alsa_devices.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include "platform/wavein.h"

// ---- constants -------------------------------------------------------------
// Two seconds of 8-bit stereo at 22050 Hz; past its end the file device
// goes on repeating the last block it read, so the level never changes.
constexpr long kRecordingBytes = 2L * 22050 * 2;

struct TestRecording {
    const char*   name;
    unsigned char level;
};

const char* const kLongDeviceName = "capture_device_with_a_name_longer_than_any_record";
const char* const kStuckDeviceName = "stuck";

static const TestRecording kRecordings[] = {
    {"loud", kLoudLevel},     {"level200", kLevel200}, {"silent", kSilentLevel},
    {"near", kNearLevel},     {"quiet", kQuietLevel},
};
static_assert(sizeof kRecordings / sizeof *kRecordings == 5);

static const char* const kFifoName = "nowriter.fifo";

static std::string alsaDir;

// ---- files -----------------------------------------------------------------
static std::string alsaPath(const std::string& name)
{
    return alsaDir + "/" + name;
}

static void alsaWriteRecording(const TestRecording& rec)
{
    FILE* f = fopen(alsaPath(std::string(rec.name) + ".raw").c_str(), "wb");
    for (long i = 0; i < kRecordingBytes; i++)
        fputc(rec.level, f);
    fclose(f);
}

static void alsaWriteFilePcm(FILE* conf, const char* name, const std::string& infile)
{
    fprintf(conf,
            "pcm.%s {\n"
            "    type file\n"
            "    slave.pcm \"null\"\n"
            "    file \"/dev/null\"\n"
            "    infile \"%s\"\n"
            "    format \"raw\"\n"
            "    hint { show on description \"test recording\" }\n"
            "}\n",
            name, infile.c_str());
}

static void alsaTestDevicesInstall()
{
    char pattern[] = "/tmp/vortavia-alsa-XXXXXX";
    alsaDir        = mkdtemp(pattern);
    for (const TestRecording& rec : kRecordings)
        alsaWriteRecording(rec);

    std::string confPath = alsaPath("asound.conf");
    FILE*       conf     = fopen(confPath.c_str(), "w");
    fprintf(conf, "pcm.null { type null }\n");
    for (const TestRecording& rec : kRecordings)
        alsaWriteFilePcm(conf, rec.name, alsaPath(std::string(rec.name) + ".raw"));
    alsaWriteFilePcm(conf, kLongDeviceName, alsaPath("loud.raw"));
    // ALSA opens a file device's infile with a blocking open(), which waits
    // for a FIFO's writer: this device's open never returns on its own.
    mkfifo(alsaPath(kFifoName).c_str(), 0600);
    alsaWriteFilePcm(conf, kStuckDeviceName, alsaPath(kFifoName));
    fprintf(conf, "pcm.broken { type hw card 31 hint { show on description \"no such card\" } }\n");
    fclose(conf);
    setenv("ALSA_CONFIG_PATH", confPath.c_str(), 1);
}

// Every test program that links these devices gets them for its whole run.
class AlsaDevices : public testing::Environment {
public:
    void SetUp() override { alsaTestDevicesInstall(); }
    void TearDown() override { std::filesystem::remove_all(alsaDir); }
};
static testing::Environment* const kAlsaDevices = testing::AddGlobalTestEnvironment(new AlsaDevices);

std::string alsaTestFifoPath()
{
    return alsaPath(kFifoName);
}

int alsaTestDeviceId(const char* name)
{
    WaveInCaps caps;
    for (int id = 0; id < wavGetDeviceCount(); id++)
        if (wavGetDeviceCaps(id, &caps, sizeof caps) == kWavOk
            && strncmp(caps.szPname, name, sizeof caps.szPname - 1) == 0)
            return id;
    return -1;
}
