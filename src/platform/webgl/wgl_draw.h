// wgl_draw.h -- the only calls into the browser's WebGL: the shader, vertex buffers, textures and the state GL and WebGL share.
#pragma once

#include <cstdint>

#include "wgl_list.h"
#include "wgl_matrix.h"

// How a draw's fragments are coloured: the vertex colour alone, or times the
// bound texture (GL's modulate).
struct WglDrawLook {
    bool        textured;
    const float* colors;       // RGBA a vertex, or null for constColor on all
    float       constColor[4];
};

bool wglDrawStart();
// Triangles in object coordinates through mvp; batch.buffer is made on first use.
void wglDrawBatch(WglBatch& batch, const WglMatrix& mvp, const WglDrawLook& look);
// A glBitmap: width x height mask bytes (bottom row first) put with their lower
// left corner at window (x, y) and depth z, in color times the bound
// texture's texel at texCoord when textured.
void wglDrawBitmap(int x, int y, float z, int width, int height, const uint8_t* mask, const WglViewport& viewport,
                   const float color[4], bool textured, const float texCoord[2]);

unsigned int wglDrawTextureNew();
void         wglDrawTextureDelete(unsigned int texture);
void         wglDrawTextureBind(unsigned int texture);
// Tight RGB rows into the bound texture's level 0.
void         wglDrawTextureImage(int width, int height, const uint8_t* rgb);
void         wglDrawTextureParameter(unsigned int name, int value);
int          wglDrawMaxTextureSize();

// The state WebGL keeps as GL does, passed straight through.
void wglDrawCapability(unsigned int capability, bool on);
void wglDrawBlendFunc(unsigned int source, unsigned int destination);
void wglDrawDepthFunc(unsigned int function);
void wglDrawCullFace(unsigned int face);
void wglDrawViewport(const WglViewport& viewport);
void wglDrawClearColor(float r, float g, float b, float a);
void wglDrawClearDepth(float depth);
void wglDrawClear(unsigned int mask);

// Releases a batch's drawing-side copy (one drawn once, outside a list).
void wglDrawForget(WglBatch& batch);
