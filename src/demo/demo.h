// demo.h -- a flight's input recorded frame by frame (--record), and flown again as a timedemo (--timedemo).
#pragma once

// ---- functions -------------------------------------------------------------
// Before the dialogue and before any window. A timedemo's file is read and
// checked whole (a bad one: one line on standard error naming the file and
// the line, status 2) and answers every question, the edition's last one
// (the sound device) included. A recording's file must be writable (or
// the same line and status).
void demoPrepare();
// Back to the start: nothing recorded, played, traced or counted.
void demoReset();
// Right after the dialogue: a timedemo's settings take the place of its answers.
void demoAfterDialogue();
// Right before the main loop: from now on every frame drawn is counted
// after its swap; a recording writes its settings and from now
// on is finished by every way out (exit, or SIGINT, SIGTERM, SIGHUP after
// the frame in progress); VORTAVIA_STATE_TRACE names a file that gets the
// jet's state after every frame.
void demoStart();

// True when a timedemo plays: the display and idle callbacks are then both
// demoPlayFrame, which delivers the input recorded for the next frame and
// draws it.
bool demoPlaying();
void demoPlayFrame();

// The keyboard callbacks GLUT calls: each event is recorded, then handled.
// A timedemo ignores all but Escape.
void demoOnKey(unsigned char key, int x, int y);
void demoOnSpecialKey(int key, int x, int y);
void demoOnSpecialKeyUp(int key, int x, int y);

// The sample a capture cycle goes by: `captured`, recorded; in a timedemo
// the one recorded for this frame.
unsigned char demoSample(unsigned char captured);

