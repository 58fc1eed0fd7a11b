// terrain.h -- compiles the terrain tables with their material into one display list.
#pragma once

#include <GL/gl.h>

void buildTerrainList();

// Between a glBegin and its glEnd while the list is compiled: closes the
// triangle batch, applies material `index` and opens a new batch.
void applyMaterial(int index);

void setMaterialColor(GLenum parameter, const float* rgb, float alpha);
