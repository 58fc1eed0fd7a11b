// terrain_data.h -- the terrain mesh compiled into the program: six constant tables.
#pragma once

#include <cstdint>

#include "world_constants.h"

// ---- constants -------------------------------------------------------------
constexpr int kTerrainVertexCount        = 2 * kWorldGrid * kWorldGrid;  // upper surface, under-side
constexpr int kTerrainNormalCount        = 3770;
constexpr int kTerrainTexCoordCount      = 2652;
constexpr int kTerrainFaceCount          = 10400;  // 5000 upper, 5000 under, 400 walls
constexpr int kTerrainMaterialCount      = 1;
constexpr int kTerrainMaterialGroupCount = 1;

// ---- types -----------------------------------------------------------------
struct TerrainVertex {
    float x, y, z;
};

struct TerrainNormal {
    float x, y, z;
};

struct TerrainTexCoord {
    float s, t;
};

// One triangle; corner k takes the k-th index of each triple.
struct TerrainFace {
    int16_t vertex[3];
    int16_t normal[3];
    int16_t texCoord[3];
};

struct TerrainMaterial {
    float   ambient[3];
    float   diffuse[3];
    float   specular[3];
    float   emission[3];
    float   alpha;
    float   shininess;
    int32_t unused;
};

// The faces in table order, `faceCount` at a time, each run with one material.
struct MaterialGroup {
    int32_t material;
    int32_t faceCount;
};

// ---- data ------------------------------------------------------------------
extern const TerrainVertex   terrainVertices[kTerrainVertexCount];
extern const TerrainNormal   terrainNormals[kTerrainNormalCount];
extern const TerrainTexCoord terrainTexCoords[kTerrainTexCoordCount];
extern const TerrainFace     terrainFaces[kTerrainFaceCount];
extern const TerrainMaterial terrainMaterials[kTerrainMaterialCount];
extern const MaterialGroup   terrainMaterialGroups[kTerrainMaterialGroupCount];
