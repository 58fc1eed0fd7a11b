// test_command_line.cpp -- the options taken out of argv and the answers they leave for the dialogue.
#include <string>
#include <vector>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/edition.h"
#include "sound/edition_sound.h"

struct Parsed {
    std::vector<std::string> left;  // what GLUT gets
    ConsoleAnswers           answers;
    std::string              record, play;  // "-": none
    int                      fps;
};

static Parsed parse(const Edition& ed, std::vector<std::string> args)
{
    args.insert(args.begin(), "vortavia");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int argc = (int)args.size();
    editionSelect(ed);
    cmdParse(argc, argv.data(), ed);
    // The file names point into argv, which goes with this call.
    const CmdSettings& set = cmdSettings;
    Parsed p = {{}, set.answers, set.recordFile ? set.recordFile : "-", set.playFile ? set.playFile : "-", set.fps};
    for (int i = 1; i < argc; i++)
        p.left.push_back(argv[i]);
    EXPECT_EQ(argv[argc], nullptr);
    editionSelect(ed);
    return p;
}

TEST(CommandLine, OptionsAnswerTheirQuestionsAndGlutKeepsItsOwn)
{
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> left;
        int                      texture, display, sky;
        bool                     skip;
    } cases[] = {
        {{}, {}, 0, 0, 0, false},
        {{"--textures=low", "--display=fullscreen", "--sky=cube"}, {}, '1', '1', '1', false},
        {{"--textures=better", "--display=window", "--sky=single"}, {}, '2', '2', '2', false},
        {{"--textures=large", "--display=gamemode", "--sky=lowcube"}, {}, '3', '3', '3', false},
        {{"-display", ":3", "--sky=auto", "-sync"}, {"-display", ":3", "-sync"}, 0, 0, '4', false},
        {{"--skip-config", "--sky=single", "--sky=cube"}, {}, 0, 0, '1', true},  // the last one holds
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        Parsed p = parse(kKeyboardEdition, c.args);
        EXPECT_EQ(p.left, c.left);
        EXPECT_EQ(p.answers.textureKey, c.texture);
        EXPECT_EQ(p.answers.displayKey, c.display);
        EXPECT_EQ(p.answers.skyKey, c.sky);
        EXPECT_EQ(p.answers.skipConfig, c.skip);
        EXPECT_FALSE(p.answers.deviceSet);
    }

    Parsed sound = parse(kSoundEdition, {"--device=2147483647"});
    EXPECT_TRUE(sound.answers.deviceSet);
    EXPECT_EQ(sound.answers.device, 2147483647);
}

TEST(CommandLine, BadOptionsEndWithStatusTwoAndAHint)
{
    const struct {
        const Edition* ed;
        const char*    arg;
        const char*    said;
    } cases[] = {
        {&kKeyboardEdition, "--nope", "vortavia: unknown option '--nope'\nTry 'vortavia --help'.\n"},
        {&kKeyboardEdition, "--device=1", "unknown option '--device=1'"},  // the keyboard edition has none
        {&kKeyboardEdition, "--textures", "--textures takes low, better or large, not ''"},
        {&kKeyboardEdition, "--sky=CUBE", "--sky takes cube, single, lowcube or auto, not 'CUBE'"},
        {&kKeyboardEdition, "--skip-config=1", "unknown option '--skip-config=1'"},
        {&kSoundEdition, "--device=4294967297", "--device takes the number of a listed device, not '4294967297'"},
        {&kSoundEdition, "--device=+1", "not '+1'"},
        {&kKeyboardEdition, "--record=", "--record takes a file name, not ''"},
        {&kSoundEdition, "--timedemo", "--timedemo takes a file name, not ''"},
        {&kKeyboardEdition, "--records=a", "unknown option '--records=a'"},
        {&kKeyboardEdition, "--fps=0", "--fps takes a whole number of frames a second from 1 to 1000, not '0'"},
        {&kKeyboardEdition, "--fps=1001", "not '1001'"},
        {&kSoundEdition, "--fps=99999999999999999999", "not '99999999999999999999'"},
        {&kKeyboardEdition, "--fps=60.5", "not '60.5'"},
        {&kKeyboardEdition, "--fps=-60", "not '-60'"},
        {&kKeyboardEdition, "--fps", "not ''"},
        {&kKeyboardEdition, "foo", "vortavia: not an option: 'foo'\n"},
        {&kKeyboardEdition, "-geometry", "--display chooses the window, not '-geometry'"},
        {&kKeyboardEdition, "-display", "-display takes a display name, not ''"},
        {&kKeyboardEdition, "-nope", "unknown option '-nope'"},
    };
    for (const auto& c : cases)
        EXPECT_EXIT(parse(*c.ed, {c.arg}), testing::ExitedWithCode(2), testing::HasSubstr(c.said)) << c.arg;
    EXPECT_EXIT(parse(kKeyboardEdition, {"--timedemo=a", "--record=b"}), testing::ExitedWithCode(2),
                testing::HasSubstr("vortavia: --record cannot be given with '--timedemo'\n"));
}

TEST(CommandLine, DemoAndPaceOptionsAnswerNothing)
{
    const struct {
        std::vector<std::string> args;
        const char*              record;
        const char*              play;
        int                      fps;
    } cases[] = {
        {{"--record=flight.demo"}, "flight.demo", "-", 0},
        {{"--timedemo=/tmp/a=b", "-iconic"}, "-", "/tmp/a=b", 0},
        {{"--record=a", "--record=b"}, "b", "-", 0},  // the last one holds
        {{"--sky=cube", "--fps=1"}, "-", "-", 1},
        {{"--timedemo=a", "--fps=1000"}, "-", "a", 1000},  // watching a flight at a pace
        {{"--fps=30", "--fps=060"}, "-", "-", 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        Parsed p = parse(kSoundEdition, c.args);
        EXPECT_EQ(p.record, c.record);
        EXPECT_EQ(p.play, c.play);
        EXPECT_EQ(p.fps, c.fps);
        EXPECT_FALSE(p.answers.skipConfig || p.answers.skipTail || p.answers.deviceSet);
    }
    EXPECT_EQ(parse(kKeyboardEdition, {"--timedemo=x", "-display", "--sky=cube"}).left,
              (std::vector<std::string>{"-display", "--sky=cube"}));
}
