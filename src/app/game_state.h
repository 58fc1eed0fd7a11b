// game_state.h -- the one record of process-wide state every subsystem shares.
#pragma once

#include <cstdio>
#include <GL/gl.h>

#include "assets/world_constants.h"
#include "platform/wavein.h"

// ---- constants -------------------------------------------------------------
constexpr int kTextureCount     = 9;     // texture numbers 1..9
constexpr int kCollisionPoints  = kWorldCollisionPoints;
constexpr int kHudTextSize      = 64;    // "FPS:" + any double with 2 decimals + " Speed: " + any int
constexpr int kSampleBufferSize = 512;

// ---- types -----------------------------------------------------------------
struct GameState {
    // Settings: written by the start-up console only, fixed once the window is open.
    bool smallTextures    = true;
    bool highEndCard      = false;
    bool panoramicSky     = false;
    bool lowEndPanorama   = false;
    bool gameMode         = false;
    bool fullScreen       = false;
    bool collisionEnabled = true;

    // Flight and camera. The camera is the jet.
    int   camX          = kWorldStartX;
    int   camY          = kWorldEyeHeight;
    int   camZ          = kWorldStartZ;
    float heading       = 0.0f;
    float dirX          = 0.0f;
    float dirY          = 0.0f;
    float dirZ          = 0.0f;
    float turnRate      = 0.0f;   // the edition sets its start rate before anything runs
    bool  turningLeft   = false;
    bool  turningRight  = false;
    float bankAngle     = 0.0f;
    int   speed         = 0;
    bool  accelerating  = false;
    float brakeLevel    = 15.0f;  // keyboard edition only
    float viewportWidth = 800.0f;
    bool  paused        = false;  // 'p': frames are drawn, the world stands still

    // Rendering resources, created once at set-up. Both tables are addressed by
    // texture number, so entry 0 is unused.
    GLuint textureIds[kTextureCount + 1]        = {};
    float  texturePriorities[kTextureCount + 1] = {0, 0, 0, 0, 0, 0, 1.0f, 0, 0, 0};
    GLuint skyboxList     = 0;
    GLuint singleSkyList  = 0;
    GLuint terrainList    = 0;
    GLuint jetMaskList    = 0;
    GLuint jetList        = 0;
    float  lightPosition[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    float  lightAmbient[4]  = {1.8f, 1.8f, 1.8f, 5.0f};
    void*  hudFont          = nullptr;  // GLUT_BITMAP_8_BY_13, set with the edition

    // HUD counters.
    int  frameCount  = 0;
    int  frameTime   = 0;
    int  lastFpsTime = 0;
    char hudText[kHudTextSize] = {};
    // In flight the speed prints leave the console line open; a line of
    // its own must then start with a line break.
    bool consoleMidLine = false;

    // Collision field.
    int   collisionX[kCollisionPoints] = {};
    int   collisionZ[kCollisionPoints] = {};
    FILE* collisionFile                = nullptr;

    // Sound capture, sound-throttle edition only.
    int           waveDeviceId   = 0;
    WaveInCaps    waveDeviceCaps = {};
    WaveFormat    waveFormat     = {};
    WaveInHandle  waveIn         = nullptr;
    WaveHeader    waveHeader     = {};
    unsigned char sampleBuffer[kSampleBufferSize] = {};
};

// ---- data ------------------------------------------------------------------
extern GameState gs;

// Puts every field back to its start value for the given start turn rate.
void gsReset(float startTurnRate);
