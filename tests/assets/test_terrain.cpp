// test_terrain.cpp -- the terrain tables' shape, and the list compiled from them.
#include <cmath>
#include <set>
#include <vector>
#include <gtest/gtest.h>
#include <GL/gl.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "assets/terrain.h"
#include "assets/terrain_data.h"
#include "assets/texture_table.h"
#include "support/gl_window.h"
#include "support/scratch.h"

static const TerrainVertex& corner(const TerrainFace& f, int c) { return terrainVertices[f.vertex[c]]; }

static void faceNormal(const TerrainFace& f, double n[3])
{
    const TerrainVertex &a = corner(f, 0), &b = corner(f, 1), &c = corner(f, 2);
    double u[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, v[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
    n[0] = u[1] * v[2] - u[2] * v[1];
    n[1] = u[2] * v[0] - u[0] * v[2];
    n[2] = u[0] * v[1] - u[1] * v[0];
}

TEST(TerrainTables, IndicesAndGroupsStayInTheirTables)
{
    int sum = 0;
    for (const MaterialGroup& g : terrainMaterialGroups) {
        EXPECT_GE(g.faceCount, 1);
        EXPECT_GE(g.material, 0);
        EXPECT_LT(g.material, kTerrainMaterialCount);
        sum += g.faceCount;
    }
    EXPECT_EQ(sum, kTerrainFaceCount);
    for (const TerrainFace& f : terrainFaces)
        for (int c = 0; c < 3; c++) {
            ASSERT_GE(f.vertex[c], 0);
            ASSERT_LT(f.vertex[c], kTerrainVertexCount);
            ASSERT_GE(f.normal[c], 0);
            ASSERT_LT(f.normal[c], kTerrainNormalCount);
            ASSERT_GE(f.texCoord[c], 0);
            ASSERT_LT(f.texCoord[c], kTerrainTexCoordCount);
        }
    const TerrainMaterial& m = terrainMaterials[0];
    EXPECT_FLOAT_EQ(m.diffuse[0], 0.752941f);
    EXPECT_EQ(m.alpha, 1.0f);
    EXPECT_EQ(m.shininess, 8.0f);
}

TEST(TerrainTables, TwoGridsASlabDeep)
{
    int plateau = 0, floor = 0;
    for (int v = 0; v < 2601; v++) {
        const TerrainVertex& up = terrainVertices[v];
        const TerrainVertex& dn = terrainVertices[v + 2601];
        EXPECT_EQ(up.x, -12500.0f + 500.0f * (v % 51));
        EXPECT_EQ(up.z, 12500.0f - 500.0f * (v / 51));
        EXPECT_EQ(dn.x, up.x);
        EXPECT_EQ(dn.z, up.z);
        EXPECT_NEAR(up.y - dn.y, 50.0f, 1e-3f);
        plateau += up.y == 402.114f;
        floor += up.y == -352.114f;
        EXPECT_GE(up.y, -352.114f);
        EXPECT_LE(up.y, 402.114f);
    }
    EXPECT_EQ(plateau, 1807);
    EXPECT_EQ(floor, 701);
}

TEST(TerrainTables, EveryFaceFacesOutOfTheSlab)
{
    for (int i = 0; i < kTerrainFaceCount; i++) {
        const TerrainFace& f = terrainFaces[i];
        double n[3];
        faceNormal(f, n);
        double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        ASSERT_GT(len, 0.0) << "degenerate face " << i;
        if (i < 5000) {
            EXPECT_GT(n[1], 0.0) << "upper face " << i;
        } else if (i < 10000) {
            EXPECT_LT(n[1], 0.0) << "under face " << i;
        } else {
            // walls in the order Z = 12500, X = 12500, Z = -12500, X = -12500
            static const double out[4][3] = {{0, 0, 1}, {1, 0, 0}, {0, 0, -1}, {-1, 0, 0}};
            const double* o = out[(i - 10000) / 100];
            EXPECT_GT(n[0] * o[0] + n[2] * o[2], 0.99 * len) << "wall face " << i;
            const TerrainNormal& cn = terrainNormals[f.normal[0]];
            EXPECT_EQ(cn.x, (float)o[0]);
            EXPECT_EQ(cn.z, (float)o[2]);
        }
        // Corner normals lean the same way as the face.
        for (int c = 0; c < 3; c++) {
            const TerrainNormal& cn = terrainNormals[f.normal[c]];
            EXPECT_GT(cn.x * n[0] + cn.y * n[1] + cn.z * n[2], 0.0) << "face " << i;
        }
    }
}

TEST(TerrainTables, NormalsAreUnitAndFlatGroundPointsUp)
{
    for (const TerrainNormal& n : terrainNormals)
        ASSERT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-5);
    // Faces around the start and the middle of the plateau lie on flat ground.
    for (int cell : {46 * 50 + 25, 46 * 50 + 24, 25 * 50 + 25}) {
        for (int k = 0; k < 2; k++) {
            const TerrainFace& f = terrainFaces[2 * cell + k];
            for (int c = 0; c < 3; c++) {
                const TerrainNormal& n = terrainNormals[f.normal[c]];
                EXPECT_EQ(n.x, 0.0f);
                EXPECT_EQ(n.y, 1.0f);
                EXPECT_EQ(n.z, 0.0f);
            }
        }
    }
    EXPECT_EQ(terrainNormals[terrainFaces[5000].normal[0]].y, -1.0f);
}

TEST(TerrainTables, TextureLiesOnceOverTheTerrain)
{
    for (int i = 0; i < 10000; i++) {
        const TerrainFace& f = terrainFaces[i];
        for (int c = 0; c < 3; c++) {
            const int              v = f.vertex[c] % 2601;
            const TerrainTexCoord& t = terrainTexCoords[f.texCoord[c]];
            const float            s = (v % 51) / 50.0f;
            ASSERT_NEAR(t.s, i < 5000 ? s : 1.0f - s, 1e-6) << "face " << i;
            ASSERT_NEAR(t.t, (v / 51) / 50.0f, 1e-6) << "face " << i;
        }
    }
    for (int i = 10000; i < 10400; i++)
        for (int c = 0; c < 3; c++) {
            const TerrainTexCoord& t = terrainTexCoords[terrainFaces[i].texCoord[c]];
            const bool             upper = terrainFaces[i].vertex[c] < 2601;
            EXPECT_FLOAT_EQ(t.t, upper ? 1.0f : 2.0f);
        }
}

TEST(TerrainTables, StartLiesBetweenFloorAndPlateau)
{
    // (0, -10500) is the vertex of row 46, column 25.
    const TerrainVertex& under = terrainVertices[46 * 51 + 25];
    EXPECT_EQ(under.x, 0.0f);
    EXPECT_EQ(under.z, -10500.0f);
    EXPECT_EQ(under.y, -352.114f);
    EXPECT_GT(80.0f, under.y);
    EXPECT_LT(80.0f, 402.114f);
}

using TerrainList = GlTest;

TEST_F(TerrainList, HoldsEveryTriangleWithTheMaterial)
{
    glGenTextures(kTextureCount, &gs.textureIds[1]);
    EXPECT_EQ(capturedStdout(buildTerrainList), "loading terrain...done!\n");
    ASSERT_TRUE(glIsList(gs.terrainList));

    // Replay the list in feedback mode from above, with nothing culled, and
    // count the triangles the GL received.
    std::vector<GLfloat> feedback(12000000);
    glFeedbackBuffer((GLsizei)feedback.size(), GL_3D, feedback.data());
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
        glLoadIdentity();
        glOrtho(-13000, 13000, -13000, 13000, -100000, 100000);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
            glLoadIdentity();
            glRotatef(90, 1, 0, 0);
            glBindTexture(GL_TEXTURE_2D, gs.textureIds[kTexJetMask]);
            glRenderMode(GL_FEEDBACK);
            glCallList(gs.terrainList);
            GLint values = glRenderMode(GL_RENDER);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_CULL_FACE);
    // The list carries its texture with it, whatever was bound before.
    EXPECT_EQ((GLuint)glTestInteger(GL_TEXTURE_BINDING_2D), gs.textureIds[kTexTerrain]);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(kTextureCount, &gs.textureIds[1]);

    int triangles = 0;
    for (GLint at = 0; at < values;) {
        ASSERT_EQ(feedback[at], (GLfloat)GL_POLYGON_TOKEN);
        int n = (int)feedback[at + 1];
        EXPECT_EQ(n, 3);
        triangles++;
        at += 2 + n * 3;
    }
    EXPECT_EQ(triangles, kTerrainFaceCount);

    float v[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[0], 0.752941f);
    EXPECT_EQ(v[3], 1.0f);
    glGetMaterialfv(GL_BACK, GL_SPECULAR, v);
    EXPECT_FLOAT_EQ(v[0], 0.1752941f);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    EXPECT_EQ(v[0], 8.0f);
}
