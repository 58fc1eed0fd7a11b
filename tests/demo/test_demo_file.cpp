// test_demo_file.cpp -- the demo reader against good and bad files, and the writer read back.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <gtest/gtest.h>

#include "demo/demo_file.h"
#include "app/edition.h"
#include "app/game_state.h"

static const std::string kHeader =
    "vortavia-demo 1\nedition vortavia\n"
    "smallTextures 1\nhighEndCard 0\npanoramicSky 1\nlowEndPanorama 0\ngameMode 0\nfullScreen 1\n";
static const std::string kSoundHeader =
    "vortavia-demo 1\nedition vortavia_sound\n"
    "smallTextures 1\nhighEndCard 0\npanoramicSky 0\nlowEndPanorama 0\ngameMode 0\nfullScreen 0\n";

static bool parse(const std::string& text, DemoScript& out, DemoError& err, bool sound = false)
{
    return demoParse(text.data(), text.size(), sound ? "vortavia_sound" : "vortavia", sound, out, err);
}

static std::string written(const char* edition, const DemoScript& script)
{
    char*  text = nullptr;
    size_t size = 0;
    FILE*  out  = open_memstream(&text, &size);
    demoWriteScript(out, edition, script);
    fclose(out);
    std::string s(text, size);
    free(text);
    return s;
}

static void expectEvents(const std::vector<DemoEvent>& got, const std::vector<DemoEvent>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++) {
        EXPECT_EQ(got[i].frame, want[i].frame) << i;
        EXPECT_EQ(got[i].kind, want[i].kind) << i;
        EXPECT_EQ(got[i].code, want[i].code) << i;
    }
}

TEST(DemoFile, ReadsSettingsEventsAndTheFrameCount)
{
    DemoScript s;
    DemoError  err = {};
    // Blanks ending a line are as good as none.
    ASSERT_TRUE(parse(kHeader + "frame 0 \nspecial 100  \nkey c\nframe 7\nspecial-up 100\nkey \\x1b\n"
                                "key \\x5C\nframe 9\nkey 0\nend 9 \n", s, err)) << err.line << ": " << err.what;
    const bool settings[] = {true, false, true, false, false, true};
    for (int i = 0; i < kDemoSettingCount; i++)
        EXPECT_EQ(s.settings[i], settings[i]) << kDemoSettings[i].name;
    expectEvents(s.events, {{0, kDemoSpecial, 100}, {0, kDemoKey, 'c'},  {7, kDemoSpecialUp, 100},
                            {7, kDemoKey, 27},      {7, kDemoKey, '\\'}, {9, kDemoKey, '0'}});
    EXPECT_EQ(s.frames, 9);

    ASSERT_TRUE(parse(kSoundHeader + "frame 3\nspecial 103\nsound 255\nframe 4\nsound 128\nend 5\n", s, err, true))
        << err.what;
    EXPECT_EQ(s.events.size(), 3u);
    EXPECT_EQ(s.events[1].kind, kDemoSound);
    EXPECT_EQ(s.events[1].code, 255);
    ASSERT_TRUE(parse(kHeader + "end 0\n", s, err));
    EXPECT_TRUE(s.events.empty());
}

TEST(DemoFile, BadFilesNameTheirWrongLine)
{
    const std::string trunc = kHeader.substr(0, kHeader.size() - 5);
    const struct {
        std::string text;
        int         line;
        const char* what;
        bool        sound;
    } cases[] = {
        {"", 1, "empty, not a demo", false},
        {"vortavia-demo 2\n", 1, "the first line is not 'vortavia-demo 1'", false},
        {"vortavia-demo 1", 1, "cut short", false},
        {"\x7f" "ELF\x02\x01\x01\x00\x00", 1, "not text (byte 0x7f)", false},
        {"vortavia-demo 1\n\xff\xfe", 2, "not text (byte 0xff)", false},
        {"vortavia-demo 1\r\n", 1, "not text (byte 0x0d)", false},
        {std::string("vortavia-demo 1\nedition vort\0via\n", 33), 2, "not text (byte 0x00)", false},
        {"vortavia-demo 1\n", 2, "ends before its 'edition' line", false},
        {"vortavia-demo 1\nedition  vortavia\n", 2, "expected 'edition vortavia'", false},
        {"vortavia-demo 1\nedition vortavia_sound\n", 2, "recorded with vortavia_sound, not with vortavia", false},
        {trunc, 8, "cut short", false},
        {kHeader.substr(0, kHeader.size() - 13), 8, "ends before its fullScreen line", false},
        {"vortavia-demo 1\nedition vortavia\nsmallTextures 2\n", 3, "expected 'smallTextures 0' or 'smallTextures 1'", false},
        {"vortavia-demo 1\nedition vortavia\nhighEndCard 0\n", 3, "expected 'smallTextures 0'", false},
        {kHeader, 9, "the file ends before its 'end' line", false},
        {kHeader + "frame 3\nspecial 100\n", 11, "the file ends before its 'end' line", false},
        {kHeader + "frame 3\nspecial 100\nend 9", 11, "cut short", false},
        {kHeader + "frame 3\nwobble 1\nend 9\n", 10, "unknown event 'wobble'", false},
        {kHeader + "frame 3\nspecial\nend 9\n", 10, "'special' takes a key code from 0 to 255, not ''", false},
        {kHeader + "frame 3\nspecial 256\nend 9\n", 10, "'special' takes a key code from 0 to 255, not '256'", false},
        {kHeader + "frame 3\nspecial-up -1\nend 9\n", 10, "not '-1'", false},
        {kHeader + "frame 3\nkey cc\nend 9\n", 10, "'key' takes one character or \\xHH, not 'cc'", false},
        {kHeader + "frame 3\nkey \\xg0\nend 9\n", 10, "not '\\xg0'", false},
        {kHeader + "frame 3\nkey c d\nend 9\n", 10, "unknown event 'key c d'", false},
        {kHeader + "frame 3\nsound 200\nend 9\n", 10, "'sound' is not an event of this edition", false},
        {kSoundHeader + "frame 3\nsound 256\nend 9\n", 10, "'sound' takes a sample from 0 to 255, not '256'", true},
        {kSoundHeader + "frame 3\nsound 200\nkey c\nend 9\n", 11, "'key' after the sample of frame 3", true},
        {kSoundHeader + "frame 3\nsound 200\nsound 201\nend 9\n", 11, "'sound' after the sample of frame 3", true},
        {kHeader + "key c\nend 9\n", 9, "'key' before the first 'frame' line", false},
        {kHeader + "frame 5\nkey c\nframe 4\nkey d\nend 9\n", 11, "frame 4 after frame 5: frames only go forwards", false},
        {kHeader + "frame 5\nkey c\nframe 5\nend 9\n", 11, "frame 5 again", false},
        {kHeader + "frame 100000001\nkey c\nend 9\n", 9, "'frame' takes a frame number from 0 to 100000000, not '100000001'", false},
        {kHeader + "frame 99999999999999999999\nend 9\n", 9, "not '99999999999999999999'", false},
        {kHeader + "frame 007\nend 9\n", 9, "not '007'", false},
        {kHeader + "frame +7\nend 9\n", 9, "not '+7'", false},
        {kHeader + "frame 12\nkey c\nend 11\n", 11, "end 11 before frame 12", false},
        {kHeader + "end 999999999\n", 9, "not '999999999'", false},
        {kHeader + "end 9\nframe 10\n", 10, "text after the 'end' line", false},
        {kHeader + "end 9\n\n", 10, "text after the 'end' line", false},
        {kHeader + "frame 1\nkey " + std::string(61, 'x') + "\nend 9\n", 10, "longer than 64 characters", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        DemoScript s;
        DemoError  err = {-1, ""};
        ASSERT_FALSE(parse(c.text, s, err, c.sound));
        EXPECT_EQ(err.line, c.line);
        EXPECT_NE(std::string(err.what).find(c.what), std::string::npos) << err.what;
    }

    DemoScript s;
    DemoError  err = {};
    EXPECT_FALSE(demoParse(kHeader.data(), kDemoMaxFileSize + 1, "vortavia", false, s, err));
    EXPECT_EQ(err.line, 0);
    EXPECT_STREQ(err.what, "larger than 128 MiB, not a demo");
}

TEST(DemoFile, WhatTheWriterWritesReadsBackTheSame)
{
    DemoScript script;
    for (int i = 0; i < kDemoSettingCount; i++)
        script.settings[i] = i % 2 == 1;
    // Every character a key can give, each special code, every sample.
    for (int c = 0; c < 256; c++)
        script.events.push_back({c / 4, kDemoKey, c});
    for (int c = 0; c <= kDemoMaxSpecialCode; c++)
        script.events.push_back({64 + c, c % 2 ? kDemoSpecialUp : kDemoSpecial, c});
    for (int c = 0; c < 256; c++)
        script.events.push_back({400 + c, kDemoSound, c});
    script.frames = 700;

    const std::string text = written("vortavia_sound", script);
    EXPECT_EQ(text.compare(0, 38, "vortavia-demo 1\nedition vortavia_sound"), 0);
    DemoScript back;
    DemoError  err = {};
    ASSERT_TRUE(parse(text, back, err, true)) << err.line << ": " << err.what;
    EXPECT_EQ(written("vortavia_sound", back), text);
    expectEvents(back.events, script.events);
    EXPECT_NE(text.find("\nkey a\n"), std::string::npos);
    EXPECT_NE(text.find("\nkey \\x20\n"), std::string::npos);
    EXPECT_NE(text.find("\nkey \\x5c\n"), std::string::npos);
}

TEST(DemoFile, AnHourAtAThousandFramesOfTheSoundEditionFitsTheReader)
{
    // Every frame of a sound flight holds its sample: a frame line and a sound line, the longest this late.
    DemoScript script;
    script.frames           = 3600 * 1000;
    const size_t headAndEnd = written("vortavia_sound", script).size();
    script.events.push_back({script.frames - 1, kDemoSound, 255});
    const size_t perFrame = written("vortavia_sound", script).size() - headAndEnd;
    EXPECT_LE(headAndEnd + script.frames * perFrame, kDemoMaxFileSize);
}

TEST(DemoFile, SettingsAreTheGameStateFields)
{
    editionSelect(kKeyboardEdition);
    const bool chosen[kDemoSettingCount] = {false, true, true, true, false, true};
    demoGiveSettings(chosen);
    EXPECT_FALSE(gs.smallTextures);
    EXPECT_TRUE(gs.highEndCard);
    EXPECT_TRUE(gs.panoramicSky);
    EXPECT_TRUE(gs.lowEndPanorama);
    EXPECT_FALSE(gs.gameMode);
    EXPECT_TRUE(gs.fullScreen);
    bool taken[kDemoSettingCount];
    demoTakeSettings(taken);
    for (int i = 0; i < kDemoSettingCount; i++)
        EXPECT_EQ(taken[i], chosen[i]) << kDemoSettings[i].name;
    editionSelect(kKeyboardEdition);
}
