// terrain.cpp -- the terrain list: every triangle once, materials switched by group.
#include "assets/terrain.h"

#include <cstdio>

#include "app/game_state.h"
#include "assets/terrain_data.h"
#include "assets/texture_table.h"

void setMaterialColor(GLenum parameter, const float* rgb, float alpha)
{
    const float rgba[4] = {rgb[0], rgb[1], rgb[2], alpha};
    glMaterialfv(GL_FRONT_AND_BACK, parameter, rgba);
}

void applyMaterial(int index)
{
    const TerrainMaterial& m = terrainMaterials[index];
    // Material changes are not allowed inside a batch, so it is closed and reopened.
    glEnd();
    setMaterialColor(GL_AMBIENT, m.ambient, m.alpha);
    setMaterialColor(GL_DIFFUSE, m.diffuse, m.alpha);
    setMaterialColor(GL_SPECULAR, m.specular, m.alpha);
    setMaterialColor(GL_EMISSION, m.emission, m.alpha);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess);
    glBegin(GL_TRIANGLES);
}

void buildTerrainList()
{
    printf("loading terrain...");
    gs.terrainList = glGenLists(1);
    glNewList(gs.terrainList, GL_COMPILE);
        glBindTexture(GL_TEXTURE_2D, gs.textureIds[kTexTerrain]);
        glBegin(GL_TRIANGLES);
            int group = 0, left = 0;
            for (const TerrainFace& face : terrainFaces) {
                if (left == 0) {
                    applyMaterial(terrainMaterialGroups[group].material);
                    left = terrainMaterialGroups[group].faceCount;
                    group++;
                }
                left--;
                for (int c = 0; c < 3; c++) {
                    const TerrainNormal&   n = terrainNormals[face.normal[c]];
                    const TerrainTexCoord& t = terrainTexCoords[face.texCoord[c]];
                    const TerrainVertex&   v = terrainVertices[face.vertex[c]];
                    glNormal3f(n.x, n.y, n.z);
                    glTexCoord2f(t.s, t.t);
                    glVertex3f(v.x, v.y, v.z);
                }
            }
        glEnd();
    glEndList();
    printf("done!\n");
}
