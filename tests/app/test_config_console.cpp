// test_config_console.cpp -- the start-up dialogue driven by scripted key presses.
#include <array>
#include <cstring>
#include <string>
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/config_console.h"
#include "app/edition.h"
#include "app/game_state.h"
#include "platform/console.h"
#include "support/scratch.h"

static const char* const kBanner =
    "\n\n**************************VORTAVIA 3D DEMO in OpenGL**************************\n";
static const char* const kPrompt =
    "Configure the game before you run it for optimal performance\n"
    "Or press 'x' to skip config\n"
    "\nAny other key to use the config utility. ";
static const char* const kMenus =
    "\n\nTexture Quality: \n"
    "   1)Low end card\n"
    "   2)Vodoo2 or higher\n"
    "   3)Large textures (for good quality on low end cards)\n"
    "\n\n\nDisplay Mode:\n"
    "   1)FullScreen\n"
    "   2)Windowed 400x400\n"
    "   3)Game Mode 640x480\n"
    "\n\n\nSky Mode:\n"
    "   1)High End card panoramic skies\n"
    "   2)Single Face sky\n"
    "   3)Low End Card panoramic skies\n"
    "   4)Auto choose\n";
static const char* const kLowEnd =
    "You have chosen low end display settings.\n It is not suitable to load high end skies...\n"
    " continuing with low end panorama.\n";
static const char* const kClosing = "\n\n\nOk...Loading the game...\n\n";

// Runs the dialogue over `keys`, with `given` answered ahead, and returns what it printed.
static ScriptedRun runWith(const char* keys, const ConsoleAnswers& given = {})
{
    editionSelect(kKeyboardEdition);
    cmdSettings.answers = given;
    return scriptedConsole(keys, runConfigConsole);
}

// The answers as scene set-up sees them, in the tables' column order.
using Settings = std::array<bool, 6>;
static Settings settings()
{
    return {gs.smallTextures, gs.highEndCard, gs.panoramicSky, gs.lowEndPanorama, gs.fullScreen, gs.gameMode};
}

struct Combination {
    const char* keys;
    Settings    want;
};

// The answer table.
static const Combination kCombinations[] = {
    // keys     small  high   pano   lowEnd full   game
    {"a111k",  {true,  false, true,  true,  true,  false}},
    {"a222",   {true,  true,  false, false, false, false}},
    {"a231",   {true,  true,  true,  false, false, true }},
    {"a234",   {true,  true,  true,  false, false, true }},
    {"a213",   {true,  false, true,  true,  true,  false}},
    {"a329",   {false, false, false, false, false, false}},
    {"a334",   {false, false, false, false, false, true }},
    {"a313",   {false, false, true,  true,  true,  false}},
    {"a224",   {true,  true,  true,  false, false, false}},
    {"a999",   {true,  false, false, false, false, false}},
    {"X999",   {true,  false, false, false, false, false}},
    {"a12x",   {true,  false, false, false, false, false}},
};

TEST(ConfigConsole, AnswerCombinations)
{
    for (const Combination& c : kCombinations) {
        SCOPED_TRACE(c.keys);
        ScriptedRun run = runWith(c.keys);
        EXPECT_EQ(run.unread, 0);
        EXPECT_EQ(settings(), c.want);
        EXPECT_TRUE(gs.collisionEnabled);
    }
}

TEST(ConfigConsole, SkipPrintsNoMenu)
{
    ScriptedRun run = runWith("x2");
    EXPECT_EQ(run.unread, 1);  // nothing read after the 'x'
    const std::string credit = run.out.substr(strlen(kBanner), run.out.find(kPrompt) - strlen(kBanner));
    EXPECT_EQ(run.out, std::string(kBanner) + credit + kPrompt + kClosing);
    ASSERT_GE(credit.size(), 6u);
    EXPECT_EQ(credit.substr(credit.size() - 5), "\n\n\n\n\n");
    EXPECT_EQ(credit.find('\n'), credit.size() - 5);  // one line, then four empty ones
    EXPECT_TRUE(gs.smallTextures);
    EXPECT_FALSE(gs.panoramicSky);
}

TEST(ConfigConsole, MenusPrintExactlyTheirTexts)
{
    ScriptedRun run = runWith("a222");
    const size_t menus = run.out.find(kPrompt) + strlen(kPrompt);
    EXPECT_EQ(run.out.substr(menus), std::string(kMenus) + kClosing);
    EXPECT_EQ(run.out.find("222"), std::string::npos);  // answers are not echoed
}

TEST(ConfigConsole, LowEndMessageWaitsForOneKey)
{
    ScriptedRun waited = runWith("a121z");
    EXPECT_EQ(waited.unread, 0);  // the 'z' was taken by the wait
    EXPECT_NE(waited.out.find(std::string(kMenus) + kLowEnd + kClosing), std::string::npos);

    ScriptedRun direct = runWith("a231z");  // high-end card: no message, no wait
    EXPECT_EQ(direct.unread, 1);
    EXPECT_EQ(direct.out.find("low end display"), std::string::npos);
}

TEST(ConfigConsole, ClosedInputFallsThroughToTheDefaults)
{
    ScriptedRun run = runWith("");
    EXPECT_NE(run.out.find(kClosing), std::string::npos);
    EXPECT_TRUE(gs.smallTextures);
    EXPECT_FALSE(gs.highEndCard);
    EXPECT_FALSE(gs.panoramicSky);
    EXPECT_FALSE(gs.fullScreen);
    EXPECT_FALSE(gs.gameMode);

    ScriptedRun cut = runWith("a1");  // ends mid-dialogue, at the low-end wait too
    EXPECT_NE(cut.out.find(kClosing), std::string::npos);
    runWith("a111");  // the low-end wait meets the end of input
    EXPECT_TRUE(gs.lowEndPanorama);
}

TEST(ConsoleKeys, MultiByteKeysAnswerOnePromptPerCode)
{
    // An arrow key sends ESC [ A: three prompts, none of them a valid answer.
    ScriptedRun run = runWith("a\x1b[A1");
    EXPECT_EQ(run.unread, 1);
    EXPECT_TRUE(gs.smallTextures);
    EXPECT_FALSE(gs.panoramicSky);
}

TEST(ConsoleKeys, LineReadKeepsOneLineAndDropsWhatDoesNotFit)
{
    scriptedConsole("12 apples\n\n123456789\nk", [] {
        char line[6];
        EXPECT_EQ(conReadLine(line, sizeof line), 5);
        EXPECT_STREQ(line, "12 ap");
        EXPECT_EQ(conReadLine(line, sizeof line), 0);  // Enter alone: an empty reply, at once
        EXPECT_STREQ(line, "");
        EXPECT_EQ(conReadLine(line, sizeof line), 5);
        EXPECT_EQ(conReadKey(), 'k');  // the cut line's rest answered nothing
        EXPECT_EQ(conReadLine(line, sizeof line), -1);  // end of input: no hang
        EXPECT_EQ(conReadKey(), kConKeyEnd);
    });
}

// ---- answers given ahead of time -------------------------------------------
TEST(ConfigConsole, AnswersGivenAheadAreNotAskedAndTheRestAre)
{
    const std::string textureMenu(kMenus, strstr(kMenus, "\n\n\nDisplay Mode:") - kMenus);
    const std::string displayMenu(strstr(kMenus, "\n\n\nDisplay Mode:"), strstr(kMenus, "\n\n\nSky Mode:"));
    const std::string skyMenu(strstr(kMenus, "\n\n\nSky Mode:"));
    const struct {
        ConsoleAnswers given;
        const char*    keys;
        std::string    shown;  // after the banner and the credit
        Settings       want;
        long           unread;
    } cases[] = {
        // every menu answered: no prompt, no menu, nothing read
        {{'2', '3', '1', false}, "zz", "", {true, true, true, false, false, true}, 2},
        // the high-end sky on a low-end card: the message, and no wait
        {{'1', '2', '1', false}, "z", kLowEnd, {true, false, true, true, false, false}, 1},
        {{0, 0, 0, true}, "z", "", {true, false, false, false, false, false}, 1},
        // skip with one answer: that one holds, the rest stay default
        {{'3', 0, 0, true}, "z", "", {false, false, false, false, false, false}, 1},
        // some answered: the first prompt and the others' menus, by their texts
        {{0, '1', 0, false}, "a24", kPrompt + textureMenu + skyMenu,
         {true, true, true, false, true, false}, 0},
        {{'2', 0, '3', false}, "a1", kPrompt + displayMenu, {true, false, true, true, true, false}, 0},
        {{0, 0, '2', false}, "x", std::string(kPrompt), {true, false, false, false, false, false}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        ScriptedRun run = runWith(c.keys, c.given);
        const size_t credit = run.out.find("\n\n\n\n\n") + 5;
        EXPECT_EQ(run.out.substr(credit), c.shown + kClosing);
        EXPECT_EQ(run.unread, c.unread);
        EXPECT_EQ(settings(), c.want);
    }
}
