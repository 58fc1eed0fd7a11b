// demogen.cpp -- writes the benchmarks' timedemo flight from its scripted input list.
// Usage: demogen <out.demo> window|fullscreen
//
// The keyboard edition's flight: a tap for the heading, then the throttle
// again every 150 frames (a wall hit leaves the jet standing), turns both
// ways and the brake, through the canyon and into its walls. Only the
// display setting differs between the two files.
#include <cstdio>
#include <cstring>
#include <GL/freeglut.h>

#include "demo/demo_file.h"

// ---- constants -------------------------------------------------------------
constexpr int kDgFrames = 2400;

// ---- types -----------------------------------------------------------------
// A special key held from frame `from` for `frames` frames.
struct DgHold {
    int from;
    int key;
    int frames;
};

// ---- data ------------------------------------------------------------------
static const DgHold dgScript[] = {
    {10,   GLUT_KEY_LEFT,  4},    // the heading
    {20,   GLUT_KEY_UP,    100},
    {90,   GLUT_KEY_RIGHT, 20},
    {170,  GLUT_KEY_UP,    100},
    {200,  GLUT_KEY_LEFT,  40},
    {320,  GLUT_KEY_UP,    100},
    {330,  GLUT_KEY_RIGHT, 10},
    {440,  GLUT_KEY_DOWN,  3},    // the brake, then on again
    {470,  GLUT_KEY_UP,    100},
    {520,  GLUT_KEY_LEFT,  15},
    {620,  GLUT_KEY_UP,    100},
    {640,  GLUT_KEY_RIGHT, 60},
    {770,  GLUT_KEY_UP,    100},
    {800,  GLUT_KEY_LEFT,  10},
    {920,  GLUT_KEY_UP,    100},
    {950,  GLUT_KEY_RIGHT, 25},
    {1070, GLUT_KEY_UP,    100},
    {1100, GLUT_KEY_LEFT,  70},
    {1200, GLUT_KEY_DOWN,  3},
    {1220, GLUT_KEY_UP,    100},
    {1260, GLUT_KEY_RIGHT, 10},
    {1370, GLUT_KEY_UP,    100},
    {1390, GLUT_KEY_LEFT,  30},
    {1520, GLUT_KEY_UP,    100},
    {1560, GLUT_KEY_RIGHT, 45},
    {1670, GLUT_KEY_UP,    100},
    {1700, GLUT_KEY_LEFT,  20},
    {1820, GLUT_KEY_UP,    100},
    {1840, GLUT_KEY_RIGHT, 15},
    {1960, GLUT_KEY_DOWN,  3},
    {1970, GLUT_KEY_UP,    100},
    {2000, GLUT_KEY_LEFT,  50},
    {2120, GLUT_KEY_UP,    100},
    {2150, GLUT_KEY_RIGHT, 35},
    {2270, GLUT_KEY_UP,    100},
    {2300, GLUT_KEY_LEFT,  10},
};

// ---- functions -------------------------------------------------------------
// Presses and releases in frame order; at one frame, in the script's order.
static void dgEvents(DemoScript& script)
{
    for (int frame = 0; frame < kDgFrames; frame++)
        for (const DgHold& hold : dgScript) {
            if (hold.from == frame)
                script.events.push_back({frame, kDemoSpecial, hold.key});
            if (hold.from + hold.frames == frame)
                script.events.push_back({frame, kDemoSpecialUp, hold.key});
        }
    script.frames = kDgFrames;
}

int main(int argc, char** argv)
{
    const bool full = argc == 3 && strcmp(argv[2], "fullscreen") == 0;
    if (argc != 3 || (!full && strcmp(argv[2], "window") != 0)) {
        fprintf(stderr, "usage: %s <out.demo> window|fullscreen\n", argv[0]);
        return 2;
    }
    DemoScript script;
    // What the console's 'x' leaves (small textures, the single-face sky), in a window or full screen.
    for (int i = 0; i < kDemoSettingCount; i++)
        script.settings[i] = kDemoSettings[i].field == &GameState::smallTextures ||
                             (full && kDemoSettings[i].field == &GameState::fullScreen);
    dgEvents(script);

    FILE* out = fopen(argv[1], "w");
    if (!out) {
        perror(argv[1]);
        return 1;
    }
    demoWriteScript(out, "vortavia", script);
    return fclose(out) == 0 ? 0 : 1;
}
