// demo_file.h -- the demo file's text: read and checked whole, written line by line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "app/game_state.h"

// ---- constants -------------------------------------------------------------
constexpr const char* kDemoFirstLine      = "vortavia-demo 1";
constexpr int         kDemoSettingCount   = 6;
constexpr int         kDemoMaxFrames      = 100000000;  // over a day at 1000 frames a second
constexpr int         kDemoMaxSpecialCode = 255;        // freeglut's special key codes are all below
constexpr size_t      kDemoMaxFileSize    = (size_t)128 << 20;  // over 5 million sound-edition frames
constexpr int         kDemoMaxLine        = 64;  // far longer than any line the writer makes
constexpr int         kDemoErrorSize      = 128;

// ---- types -----------------------------------------------------------------
enum DemoKind : unsigned char { kDemoSpecial, kDemoSpecialUp, kDemoKey, kDemoSound };

// One piece of input, delivered after `frame` frames had been drawn.
struct DemoEvent {
    int      frame;
    DemoKind kind;
    int      code;  // the special key code, the character, or the sample
};

struct DemoScript {
    bool                   settings[kDemoSettingCount] = {};  // in kDemoSettings' order
    std::vector<DemoEvent> events;
    int                    frames = 0;  // frames drawn in all
};

struct DemoError {
    int  line;  // 0: the file as a whole
    char what[kDemoErrorSize];
};

struct DemoSetting {
    const char* name;
    bool GameState::*field;
};

// ---- data ------------------------------------------------------------------
extern const DemoSetting kDemoSettings[kDemoSettingCount];

// ---- functions -------------------------------------------------------------
// Reads a whole demo recorded with the edition `edition` (whose capture
// cycles read samples when `sound`) into `out`. On the first fault found,
// returns false with the line and what is wrong in `err`.
bool demoParse(const char* text, size_t size, const char* edition, bool sound, DemoScript& out,
               DemoError& err);

// The settings as `gs` has them now, and back into `gs`.
void demoTakeSettings(bool settings[kDemoSettingCount]);
void demoGiveSettings(const bool settings[kDemoSettingCount]);

// The lines of a demo, in the order they come: the header, then for each
// frame with input its frame line and its events, then the end line.
void demoWriteHeader(FILE* out, const char* edition, const bool settings[kDemoSettingCount]);
void demoWriteFrame(FILE* out, int frame);
void demoWriteEvent(FILE* out, const DemoEvent& event);
void demoWriteEnd(FILE* out, int frames);
// All of `script` at once, frame lines included.
void demoWriteScript(FILE* out, const char* edition, const DemoScript& script);
