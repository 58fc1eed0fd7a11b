// demo_parts.h -- what the demo's front (demo.cpp), its recording and its playing share among themselves.
#pragma once

#include "demo/demo_file.h"

// ---- constants -------------------------------------------------------------
constexpr int kDemoExitBadFile = 2;  // as for a bad option

// ---- functions -------------------------------------------------------------
// demo.cpp: the frames drawn so far, which is all the time an event needs
// (the flight model steps once a frame and has no clock).
int demoFrameCount();
// A line of the demo's own, after the sound edition's speed prints.
void demoStartLine();
void demoFlushTrace();
// One line on standard error naming the file (and the line), status 2.
[[noreturn]] void demoFailFile(const char* name, const DemoError& err);

// demo_record.cpp, in the order the front calls them.
void demoRecCheckTarget();
void demoRecStart();
void demoRecEvent(DemoKind kind, int code);
void demoRecFrameDone();
void demoRecReset();

// demo_play.cpp, likewise.
void demoPlayLoad();
unsigned char demoPlaySample(unsigned char captured);
void demoPlayStart();
void demoPlayFrameDone();
void demoPlayReset();
