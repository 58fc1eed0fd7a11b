// terrain.cpp -- the terrain list: every triangle once, one batch per material group.
#include "assets/terrain.h"

#include <cstdio>
#include <GL/gl.h>

#include "app/game_state.h"
#include "assets/terrain_data.h"
#include "assets/texture_table.h"

static void terMaterialColor(GLenum parameter, const float* rgb, float alpha)
{
    const float rgba[4] = {rgb[0], rgb[1], rgb[2], alpha};
    glMaterialfv(GL_FRONT_AND_BACK, parameter, rgba);
}

// Outside a batch: the GL takes no material change between glBegin and glEnd.
static void terApplyMaterial(int index)
{
    const TerrainMaterial& m = terrainMaterials[index];
    terMaterialColor(GL_AMBIENT, m.ambient, m.alpha);
    terMaterialColor(GL_DIFFUSE, m.diffuse, m.alpha);
    terMaterialColor(GL_SPECULAR, m.specular, m.alpha);
    terMaterialColor(GL_EMISSION, m.emission, m.alpha);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess);
}

static void terFace(const TerrainFace& face)
{
    for (int c = 0; c < 3; c++) {
        const TerrainNormal&   n = terrainNormals[face.normal[c]];
        const TerrainTexCoord& t = terrainTexCoords[face.texCoord[c]];
        const TerrainVertex&   v = terrainVertices[face.vertex[c]];
        glNormal3f(n.x, n.y, n.z);
        glTexCoord2f(t.s, t.t);
        glVertex3f(v.x, v.y, v.z);
    }
}

void buildTerrainList()
{
    printf("loading terrain...");
    gs.terrainList = glGenLists(1);
    glNewList(gs.terrainList, GL_COMPILE);
        glBindTexture(GL_TEXTURE_2D, gs.textureIds[kTexTerrain]);
        int first = 0;
        for (const MaterialGroup& group : terrainMaterialGroups) {
            terApplyMaterial(group.material);
            const int end = first + group.faceCount < kTerrainFaceCount ? first + group.faceCount
                                                                        : kTerrainFaceCount;
            glBegin(GL_TRIANGLES);
                for (int f = first; f < end; f++)
                    terFace(terrainFaces[f]);
            glEnd();
            first = end;
        }
    glEndList();
    printf("done!\n");
}
