// texture_table.h -- the nine numbered textures: names, priorities, files and loading.
#pragma once

// ---- constants -------------------------------------------------------------
constexpr int kTexSkyFront = 1;  // also the single-face sky image
constexpr int kTexSkyBack  = 2;
constexpr int kTexSkyDown  = 3;
constexpr int kTexSkyUp    = 4;
constexpr int kTexSkyLeft  = 5;
constexpr int kTexSkyRight = 6;
constexpr int kTexTerrain  = 7;
constexpr int kTexJet      = 8;
constexpr int kTexJetMask  = 9;

// ---- functions -------------------------------------------------------------
// Generates and prioritises the nine names, then loads what the settings
// need, each reported on the console; a file that cannot be loaded is
// reported, waits for a console key and leaves a one-texel placeholder.
void loadTextureTable();
