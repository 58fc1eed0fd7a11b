// wgl_list.h -- display lists as recorded commands, and glBegin/glEnd vertices gathered into triangle batches.
#pragma once

#include <vector>

struct WglVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
};

// The triangles of one glBegin/glEnd: each distinct vertex once (so it is
// lit once a draw) and three indices a triangle, or, past what 16-bit
// indices reach, every corner in order and no indices. buffer and
// indexBuffer are the drawing side's copies (0 until first drawn).
struct WglBatch {
    std::vector<WglVertex>      vertices;
    std::vector<unsigned short> indices;
    float                       lastNormal[3];
    float                       lastTexCoord[2];
    unsigned int                buffer      = 0;
    unsigned int                indexBuffer = 0;
};

enum class WglOp {
    BindTexture,  // a: texture
    BlendFunc,    // a, b: factors
    DepthFunc,    // a: function
    Enable,       // a: capability
    Disable,      // a: capability
    Material,     // a: face, b: parameter, v: values
    Normal,       // v: the current normal
    TexCoord,     // v: the current texture coordinates
    Draw,         // batch: index into the list's batches
};

struct WglCommand {
    WglOp        op;
    unsigned int a     = 0;
    unsigned int b     = 0;
    float        v[4]  = {};
    int          batch = -1;
};

struct WglList {
    std::vector<WglCommand> commands;
    std::vector<WglBatch>   batches;
};

// glBegin to glEnd: mode is GL_TRIANGLES or GL_QUADS; a quad becomes two
// triangles, an unfinished one is dropped as GL drops it.
struct WglGather {
    unsigned int           mode   = 0;
    bool                   open   = false;
    int                    corner = 0;
    WglVertex              quad[4];
    WglBatch               batch;
};

// The first of range names no list has yet (0 when range is not positive).
unsigned int wglListReserve(int range);
// The list under name (not 0), emptied for recording.
WglList& wglListRecord(unsigned int name);
// The list under name; null for a name never recorded.
WglList* wglListFind(unsigned int name);

void wglGatherBegin(WglGather& gather, unsigned int mode);
void wglGatherVertex(WglGather& gather, const WglVertex& vertex);
// Closes the batch: its last normal and texture coordinates are those current
// at glEnd.
void wglGatherEnd(WglGather& gather, const float normal[3], const float texCoord[2]);
