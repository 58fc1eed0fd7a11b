// command_line.cpp -- --help, --version, the options that answer the dialogue ahead of time, and the demo files.
#include "app/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/pacing.h"
#include "app/whole_number.h"

// ---- constants -------------------------------------------------------------
constexpr int kCmdExitUsage = 2;

// ---- types -----------------------------------------------------------------
// One value of an option that answers a menu, and the menu key it stands for.
struct CmdChoice {
    const char* value;
    int         key;
};

struct CmdMenuOption {
    const char*      name;   // "--textures"
    int ConsoleAnswers::*answer;
    const CmdChoice* choices;
    int              count;
    const char*      listed; // the values, for the error line
};

struct CmdFileOption {
    const char* name;        // "--record"
    const char* CmdSettings::*file;
};

// An option of GLUT's own, passed on to glutInit.
struct CmdGlutOption {
    const char* name;        // "-display"
    const char* value;       // what the word after it is; nullptr: it takes none
};

// ---- data ------------------------------------------------------------------
CmdSettings cmdSettings;

static const CmdChoice cmdTextures[] = {{"low", '1'}, {"better", '2'}, {"large", '3'}};
static const CmdChoice cmdDisplays[] = {{"fullscreen", '1'}, {"window", '2'}, {"gamemode", '3'}};
static const CmdChoice cmdSkies[]    = {{"cube", '1'}, {"single", '2'}, {"lowcube", '3'}, {"auto", '4'}};
static_assert(sizeof cmdTextures / sizeof *cmdTextures == 3);
static_assert(sizeof cmdDisplays / sizeof *cmdDisplays == 3);
static_assert(sizeof cmdSkies / sizeof *cmdSkies == 4);

static const CmdMenuOption cmdMenus[] = {
    {"--textures", &ConsoleAnswers::textureKey, cmdTextures, 3, "low, better or large"},
    {"--display",  &ConsoleAnswers::displayKey, cmdDisplays, 3, "fullscreen, window or gamemode"},
    {"--sky",      &ConsoleAnswers::skyKey,     cmdSkies,    4, "cube, single, lowcube or auto"},
};
static_assert(sizeof cmdMenus / sizeof *cmdMenus == 3);

static const CmdFileOption cmdFiles[] = {
    {"--record",   &CmdSettings::recordFile},
    {"--timedemo", &CmdSettings::playFile},
};

// Not -geometry: the dialogue chooses the window, and freeglut's size and
// place would be set aside by it.
static const CmdGlutOption cmdGlutOptions[] = {
    {"-display", "a display name"}, {"-direct", nullptr}, {"-indirect", nullptr},
    {"-iconic", nullptr}, {"-gldebug", nullptr}, {"-sync", nullptr},
};

static const char* const cmdUsage =
    "Usage: %s [OPTION]... [GLUT OPTION]...\n"
    "A jet flight through a canyon. Started without options, the console asks three\n"
    "questions first; each option below answers one of them ahead of time, and a\n"
    "start with every question answered reads nothing from the console.\n"
    "\n"
    "  --textures=low|better|large     texture quality: low-end card, better card\n"
    "                                  (linear filtering), or the large textures\n"
    "  --display=fullscreen|window|gamemode\n"
    "                                  full screen, the 400x400 window, or game mode\n"
    "                                  640x480 at 16 bits\n"
    "  --sky=cube|single|lowcube|auto  the sky cube, the single-face sky, the sky cube\n"
    "                                  for low-end cards, or the cube with\n"
    "                                  --textures=better only\n"
    "  --skip-config                   ask none of the three (as 'x' at the first\n"
    "                                  prompt does): what is not given stays default\n"
    "%s"
    "  --record=FILE                   write the flight's settings and input to FILE,\n"
    "                                  a demo for --timedemo\n"
    "  --timedemo=FILE                 fly the demo in FILE with its settings, asking\n"
    "                                  nothing, as fast as frames come (or at the\n"
    "                                  --fps pace); then print the frame rate, exit\n"
    "  --fps=N                         draw at most N frames a second (1 to 1000);\n"
    "                                  the jet flies a step a frame, so this sets\n"
    "                                  its pace: 60 is the designed one\n"
    "  --help                          show this help and exit\n"
    "  --version                       show the version and exit\n"
    "\n"
    "GLUT's own options -display NAME, -direct, -indirect, -iconic, -gldebug and\n"
    "-sync are passed on to it.\n"
    "\n"
    "Keys in the window:\n"
    "  Left, Right   turn while held\n"
    "%s"
    "  c, v          grow, shrink the viewport\n"
    "  e, t          texturing on, off\n"
    "  p             pause, and fly on\n"
    "  F11           full screen, and back to the window\n"
    "  Escape        quit (closing the window does the same)\n"
    "A gamepad: stick or d-pad turns, A or RT Up, B or LT Down, Back Escape, Start p\n";

// ---- functions -------------------------------------------------------------
[[noreturn]] static void cmdFail(const Edition& ed, const char* what, const char* arg, const char* listed)
{
    if (listed)
        fprintf(stderr, "%s: %s takes %s, not '%s'\n", ed.name, what, listed, arg);
    else
        fprintf(stderr, "%s: %s '%s'\n", ed.name, what, arg);
    fprintf(stderr, "Try '%s --help'.\n", ed.name);
    exit(kCmdExitUsage);
}

// The value after "name=" in `arg`, or nullptr when `arg` is not that option.
static const char* cmdValue(const char* arg, const char* name)
{
    size_t n = strlen(name);
    if (strncmp(arg, name, n) != 0)
        return nullptr;
    return arg[n] == '=' ? arg + n + 1 : arg[n] == '\0' ? "" : nullptr;
}

static bool cmdMenuOption(const Edition& ed, const char* arg)
{
    for (const CmdMenuOption& opt : cmdMenus) {
        const char* value = cmdValue(arg, opt.name);
        if (!value)
            continue;
        for (int i = 0; i < opt.count; i++)
            if (strcmp(value, opt.choices[i].value) == 0) {
                cmdSettings.answers.*opt.answer = opt.choices[i].key;
                return true;
            }
        cmdFail(ed, opt.name, value, opt.listed);
    }
    return false;
}

// A device number: decimal digits only, small enough for an int.
static bool cmdDevice(const Edition& ed, const char* arg)
{
    const char* value = ed.deviceOptionHelp ? cmdValue(arg, "--device") : nullptr;
    if (!value)
        return false;
    const NumRead n = numRead(value, false);
    if (!n.fits || *n.end != '\0')
        cmdFail(ed, "--device", value, "the number of a listed device");
    cmdSettings.answers.deviceSet = true;
    cmdSettings.answers.device    = (int)n.value;
    return true;
}

// A frame rate: decimal digits only, within what the pacing can keep.
static bool cmdFps(const Edition& ed, const char* arg)
{
    const char* value = cmdValue(arg, "--fps");
    if (!value)
        return false;
    const NumRead n = numRead(value, false);
    if (!n.fits || *n.end != '\0' || n.value < kPaceMinFps || n.value > kPaceMaxFps)
        cmdFail(ed, "--fps", value, "a whole number of frames a second from 1 to 1000");
    cmdSettings.fps = (int)n.value;
    return true;
}

static bool cmdFileOption(const Edition& ed, const char* arg)
{
    for (const CmdFileOption& opt : cmdFiles) {
        const char* value = cmdValue(arg, opt.name);
        if (!value)
            continue;
        if (!*value)
            cmdFail(ed, opt.name, value, "a file name");
        cmdSettings.*opt.file = value;
        return true;
    }
    return false;
}

// Keeps GLUT's option at argv[i], with its value, for glutInit; returns
// the place of the last word it took.
static int cmdGlutOption(const Edition& ed, int argc, char** argv, int i, int& kept)
{
    if (argv[i][0] != '-')
        cmdFail(ed, "not an option:", argv[i], nullptr);
    if (strcmp(argv[i], "-geometry") == 0)
        cmdFail(ed, "--display chooses the window, not", argv[i], nullptr);
    for (const CmdGlutOption& opt : cmdGlutOptions) {
        if (strcmp(argv[i], opt.name) != 0)
            continue;
        argv[kept++] = argv[i];
        if (!opt.value)
            return i;
        if (i + 1 == argc)
            cmdFail(ed, opt.name, "", opt.value);
        argv[kept++] = argv[i + 1];
        return i + 1;
    }
    cmdFail(ed, "unknown option", argv[i], nullptr);
}

void cmdParse(int& argc, char** argv, const Edition& ed)
{
    int kept = 1;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (strncmp(arg, "--", 2) != 0) {
            i = cmdGlutOption(ed, argc, argv, i, kept);
            continue;
        }
        if (strcmp(arg, "--help") == 0) {
            printf(cmdUsage, ed.name, ed.deviceOptionHelp ? ed.deviceOptionHelp : "", ed.keyHelp);
            exit(0);
        }
        if (strcmp(arg, "--version") == 0) {
            printf("%s %s\n", ed.name, VORTAVIA_VERSION);
            exit(0);
        }
        if (strcmp(arg, "--skip-config") == 0)
            cmdSettings.answers.skipConfig = true;
        else if (!cmdMenuOption(ed, arg) && !cmdDevice(ed, arg) && !cmdFps(ed, arg) &&
                 !cmdFileOption(ed, arg))
            cmdFail(ed, "unknown option", arg, nullptr);
    }
    // A timedemo takes no input from the player, so it has none to record.
    if (cmdSettings.recordFile && cmdSettings.playFile)
        cmdFail(ed, "--record cannot be given with", "--timedemo", nullptr);
    argv[kept] = nullptr;
    argc = kept;
}
