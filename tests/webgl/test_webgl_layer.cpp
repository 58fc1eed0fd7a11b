// test_webgl_layer.cpp -- the web GL layer's plain parts held against Mesa: matrices, lighting, unpacking and the 8x13 font.
#include <cmath>
#include <cstring>
#include <vector>
#include <gtest/gtest.h>
#include <GL/freeglut.h>

#include "platform/webgl/wgl_font.h"
#include "platform/webgl/wgl_light.h"
#include "platform/webgl/wgl_list.h"
#include "platform/webgl/wgl_matrix.h"
#include "platform/webgl/wgl_pixels.h"
#include "support/gl_window.h"

// ---- matrices ----------------------------------------------------------------
// One sequence of matrix calls, made by Mesa (gl) and by the layer (wgl) from
// the identity.
struct MatrixCase {
    const char* name;
    void (*gl)();
    void (*wgl)(WglMatrix&);
};

static const MatrixCase matrixCases[] = {
    {"perspective, square window", [] { gluPerspective(90.0, 1.0, 1.0, 200000.0); },
     [](WglMatrix& m) { wglPerspective(m, 90.0, 1.0, 1.0, 200000.0); }},
    {"perspective, wide window", [] { gluPerspective(90.0, 1280.0 / 1024.0, 1.0, 200000.0); },
     [](WglMatrix& m) { wglPerspective(m, 90.0, 1280.0 / 1024.0, 1.0, 200000.0); }},
    {"HUD overlay", [] { glOrtho(0.0, 640.0, 480.0, 0.0, -1.0, 1.0); },
     [](WglMatrix& m) { wglOrtho(m, 0.0, 640.0, 480.0, 0.0, -1.0, 1.0); }},
    {"camera at the start", [] { gluLookAt(0.0, 400.0, 0.0, 0.0, 400.0, -1.0, 0.0, 1.0, 0.0); },
     [](WglMatrix& m) { wglLookAt(m, 0.0, 400.0, 0.0, 0.0, 400.0, -1.0, 0.0, 1.0, 0.0); }},
    {"camera climbing, turned",
     [] { gluLookAt(1234.5, 876.25, -3021.0, 1234.5 + 0.6, 876.25 + 0.3, -3021.0 - 0.7416, 0.0, 1.0, 0.0); },
     [](WglMatrix& m) { wglLookAt(m, 1234.5, 876.25, -3021.0, 1234.5 + 0.6, 876.25 + 0.3, -3021.0 - 0.7416, 0.0, 1.0, 0.0); }},
    {"cockpit banked left", [] { glTranslatef(0.0f, 0.0f, -15.0f); glRotatef(-37.5f, 0.0f, 0.0f, 1.0f); },
     [](WglMatrix& m) { wglTranslate(m, 0.0f, 0.0f, -15.0f); wglRotate(m, -37.5f, 0.0f, 0.0f, 1.0f); }},
    {"cockpit banked right", [] { glTranslatef(0.0f, 0.0f, -15.0f); glRotatef(12.0f, 0.0f, 0.0f, 1.0f); },
     [](WglMatrix& m) { wglTranslate(m, 0.0f, 0.0f, -15.0f); wglRotate(m, 12.0f, 0.0f, 0.0f, 1.0f); }},
    {"turn about a slanted axis, then move", [] { glRotatef(71.0f, 1.0f, 2.0f, -0.5f); glTranslatef(3.0f, -4.0f, 5.0f); },
     [](WglMatrix& m) { wglRotate(m, 71.0f, 1.0f, 2.0f, -0.5f); wglTranslate(m, 3.0f, -4.0f, 5.0f); }},
};

static void expectNear(const float* mesa, const float* layer, int count, float tolerance, const char* what)
{
    for (int i = 0; i < count; i++)
        EXPECT_NEAR(layer[i], mesa[i], tolerance * std::max(1.0f, std::fabs(mesa[i]))) << what << ", element " << i;
}

TEST(WebglLayer, MatricesEqualMesasAfterTheGamesSequences)
{
    glTestWindow();
    glMatrixMode(GL_MODELVIEW);
    for (const MatrixCase& c : matrixCases) {
        glLoadIdentity();
        c.gl();
        float mesa[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, mesa);
        WglMatrix layer = wglIdentity();
        c.wgl(layer);
        expectNear(mesa, layer.m, 16, 1e-6f, c.name);
    }
    glLoadIdentity();
}

// The HUD's raster position: the overlay projection, then the viewport, as
// the game leaves them after a grown (c) viewport.
TEST(WebglLayer, RasterPositionEqualsMesas)
{
    glTestWindow();
    const WglViewport viewport{50, 50, 300, 300};
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
        glLoadIdentity();
        glOrtho(0.0, 640.0, 480.0, 0.0, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        for (const float* at : {(const float[2]){30.0f, 35.0f}, (const float[2]){639.0f, 1.0f}}) {
            glRasterPos2f(at[0], at[1]);
            float mesa[4];
            glGetFloatv(GL_CURRENT_RASTER_POSITION, mesa);
            WglMatrix ortho = wglIdentity();
            wglOrtho(ortho, 0.0, 640.0, 480.0, 0.0, -1.0, 1.0);
            const float object[4] = {at[0], at[1], 0.0f, 1.0f};
            float eye[4];
            const WglWindowPoint p = wglProject(wglIdentity(), ortho, viewport, object, eye);
            const float layer[3] = {p.x, p.y, p.z};
            expectNear(mesa, layer, 3, 1e-5f, "raster position");
            EXPECT_TRUE(p.valid);
        }
        glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, 400, 400);
}

// ---- lighting ----------------------------------------------------------------
struct LightCase {
    const char* name;
    WglLighting lighting;
};

static WglLighting lightingWith(const float ambient[4], const WglMaterial& material)
{
    WglLighting l;
    const float position[4] = {0.0f, 0.0f, 1.0f, 1.0f};  // the game's, set under the identity
    std::memcpy(l.light.position, position, sizeof position);
    std::memcpy(l.light.ambient, ambient, 4 * sizeof(float));
    l.light.enabled = true;
    l.material      = material;
    return l;
}

static const float gameAmbient[4] = {1.8f, 1.8f, 1.8f, 5.0f};
static const float dimAmbient[4]  = {0.05f, 0.1f, 0.0f, 1.0f};
static const WglMaterial terrainMaterial{.ambient   = {0.17647f, 0.17647f, 0.17647f, 1.0f},
                                         .diffuse   = {0.752941f, 0.752941f, 0.752941f, 1.0f},
                                         .specular  = {0.1752941f, 0.1752941f, 0.1752941f, 1.0f},
                                         .emission  = {0.0f, 0.0f, 0.0f, 1.0f},
                                         .shininess = 8.0f};
static const WglMaterial shinyMaterial{.ambient   = {0.1f, 0.2f, 0.3f, 1.0f},
                                       .diffuse   = {0.5f, 0.3f, 0.2f, 0.6f},
                                       .specular  = {0.9f, 0.8f, 0.7f, 1.0f},
                                       .emission  = {0.05f, 0.0f, 0.1f, 1.0f},
                                       .shininess = 40.0f};
static const LightCase lightCases[] = {
    {"the game's light on the terrain's material", lightingWith(gameAmbient, terrainMaterial)},
    {"the game's light on the default material", lightingWith(gameAmbient, WglMaterial{})},
    {"a dim light on the terrain's material", lightingWith(dimAmbient, terrainMaterial)},
    {"a dim light on a shiny, coloured material", lightingWith(dimAmbient, shinyMaterial)},
};

// Vertices and normals (some not of unit length, as GL takes them) in front
// of a turned camera; Mesa's lit colours come back through feedback mode.
static const float litVertices[][6] = {
    // x      y       z        nx     ny     nz
    {-3.0f,  1.0f,  -6.0f,   0.0f,  1.0f,  0.0f},
    { 2.0f, -1.5f,  -4.0f,   0.3f,  0.9f,  0.3f},
    { 0.5f,  2.5f, -10.0f,  -0.6f,  0.2f,  0.8f},
    { 4.0f,  0.0f,  -3.0f,   0.0f,  0.0f,  1.3f},
    {-1.0f, -2.0f,  -2.0f,   0.1f, -1.0f,  0.0f},
    { 1.0f,  1.0f,  -1.5f,   0.7f,  0.0f,  0.7f},
};

static void mesaLighting(const WglLighting& l)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, l.light.position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, l.light.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, l.material.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, l.material.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, l.material.specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, l.material.emission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, l.material.shininess);
    gluLookAt(0.5, 0.2, 1.0, 0.0, 0.0, -5.0, 0.0, 1.0, 0.0);
}

TEST(WebglLayer, LitVertexColoursEqualMesasPerVertexLighting)
{
    glTestWindow();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(120.0, 1.0, 1.0, 200.0);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDisable(GL_CULL_FACE);
    for (const LightCase& c : lightCases) {
        mesaLighting(c.lighting);
        std::vector<GLfloat> feedback(4096);
        glFeedbackBuffer((GLsizei)feedback.size(), GL_3D_COLOR, feedback.data());
        glRenderMode(GL_FEEDBACK);
        glBegin(GL_POINTS);
        for (const float* v : litVertices) {
            glNormal3f(v[3], v[4], v[5]);
            glVertex3f(v[0], v[1], v[2]);
        }
        glEnd();
        ASSERT_EQ(glRenderMode(GL_RENDER), (GLint)(std::size(litVertices) * 8)) << c.name;

        WglMatrix modelview = wglIdentity();
        wglLookAt(modelview, 0.5, 0.2, 1.0, 0.0, 0.0, -5.0, 0.0, 1.0, 0.0);
        float normalMatrix[9];
        wglNormalMatrix(modelview, normalMatrix);
        for (size_t i = 0; i < std::size(litVertices); i++) {
            const float* v = litVertices[i];
            const float object[4] = {v[0], v[1], v[2], 1.0f};
            float eye[4], normal[3], layer[4];
            wglTransform(modelview, object, eye);
            for (int r = 0; r < 3; r++)
                normal[r] = normalMatrix[r * 3] * v[3] + normalMatrix[r * 3 + 1] * v[4] + normalMatrix[r * 3 + 2] * v[5];
            wglLitColor(c.lighting, eye, normal, layer);
            expectNear(&feedback[i * 8 + 4], layer, 4, 2e-5f, c.name);  // token, x y z, then r g b a
        }
    }
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// ---- unpacking ---------------------------------------------------------------
struct UnpackCase {
    const char* name;
    WglUnpack   unpack;
    int         width, height;
    GLenum      format;
};

static const UnpackCase unpackCases[] = {
    {"a BMP's padded BGR rows", {.alignment = 4}, 5, 3, GL_BGR},
    {"tight RGB rows", {.alignment = 1}, 5, 3, GL_RGB},
    {"eight-byte rows", {.alignment = 8}, 3, 4, GL_BGR},
    {"a window into wider rows", {.alignment = 2, .rowLength = 9, .skipRows = 2, .skipPixels = 3}, 4, 2, GL_RGB},
};

static void mesaUnpack(const WglUnpack& u)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, u.alignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, u.rowLength);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, u.skipRows);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, u.skipPixels);
}

TEST(WebglLayer, UnpackedImagesEqualWhatMesaStores)
{
    glTestWindow();
    std::vector<uint8_t> source(1024);
    for (size_t i = 0; i < source.size(); i++)
        source[i] = (uint8_t)(i * 7 + 3);
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (const UnpackCase& c : unpackCases) {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
            mesaUnpack(c.unpack);
            glTexImage2D(GL_TEXTURE_2D, 0, 3, c.width, c.height, 0, c.format, GL_UNSIGNED_BYTE, source.data());
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            std::vector<uint8_t> mesa((size_t)(c.width * c.height * 3));
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, mesa.data());
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glPopClientAttrib();
        std::vector<uint8_t> layer;
        wglUnpackRgb(c.unpack, c.width, c.height, c.format == GL_BGR, source.data(), layer);
        EXPECT_EQ(layer, mesa) << c.name;
    }
    glDeleteTextures(1, &texture);
}

// The client stack brings back what was set before, and says when it is
// over- or underused instead of corrupting.
TEST(WebglLayer, PixelStoreStackRestoresAndRefusesMisuse)
{
    WglUnpack unpack;
    EXPECT_FALSE(wglUnpackSet(unpack, GL_UNPACK_ALIGNMENT, 3));
    EXPECT_FALSE(wglUnpackSet(unpack, GL_PACK_ALIGNMENT, 1));
    EXPECT_FALSE(wglUnpackPop(unpack));
    ASSERT_TRUE(wglUnpackPush(unpack));
    ASSERT_TRUE(wglUnpackSet(unpack, GL_UNPACK_ALIGNMENT, 1));
    ASSERT_TRUE(wglUnpackSet(unpack, GL_UNPACK_ROW_LENGTH, 17));
    ASSERT_TRUE(wglUnpackPop(unpack));
    EXPECT_EQ(unpack.alignment, 4);
    EXPECT_EQ(unpack.rowLength, 0);
    int pushed = 0;
    while (wglUnpackPush(unpack))
        pushed++;
    EXPECT_EQ(pushed, 16);
    while (wglUnpackPop(unpack))
        pushed--;
    EXPECT_EQ(pushed, 0);
}

// ---- display lists -------------------------------------------------------------
// A quad becomes two triangles of its corners, an unfinished one is dropped,
// a corner met again is shared, and the batch ends with the attributes
// current at glEnd.
TEST(WebglLayer, GatheredQuadsBecomeTrianglesOfTheirCorners)
{
    WglGather gather;
    wglGatherBegin(gather, GL_QUADS);
    for (int corner : {0, 1, 2, 3, 2, 1, 4, 5, 6, 7})
        wglGatherVertex(gather, WglVertex{{(float)corner, 0, 0}, {0, 0, 1}, {0, 0}});
    const float normal[3] = {0, 1, 0}, texCoord[2] = {0.5f, 1.0f};
    wglGatherEnd(gather, normal, texCoord);
    std::vector<float> corners;
    for (unsigned short i : gather.batch.indices)
        corners.push_back(gather.batch.vertices[i].position[0]);
    EXPECT_EQ(corners, (std::vector<float>{0, 1, 2, 0, 2, 3, 2, 1, 4, 2, 4, 5}));
    EXPECT_EQ(gather.batch.vertices.size(), 6u);
    EXPECT_EQ(gather.batch.lastNormal[1], 1.0f);
    EXPECT_EQ(gather.batch.lastTexCoord[0], 0.5f);
}

// ---- the 8x13 font -------------------------------------------------------------
// The glyphs Debian's misc-fixed 8x13 has redrawn since freeglut took its
// table from an older one (quotes, star, dash, B, D, grave and some accents):
// a few pixels each, the same cell, baseline and advance.
static const std::vector<int> redrawnGlyphs = {39, 42, 45, 66, 68, 96, 168, 207, 214, 217, 224, 225, 226, 227, 228,
                                               232, 233, 234, 235, 236, 237, 238, 239, 241, 242, 243, 244, 245, 246,
                                               249, 250, 251, 252, 253, 255};

// Every glyph in a cell of its own, 16 a row, through freeglut or through
// glBitmap from the generated table with the layer's metrics.
static std::vector<uint8_t> drawAllGlyphs(bool freeglut)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 400.0, 0.0, 400.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // glyphs are read whatever the game's unpack state
    for (int c = 1; c < kWglFontGlyphs; c++) {
        glRasterPos2f(10.5f + 20.0f * (float)(c % 16), 380.0f - 20.0f * (float)(c / 16));
        if (freeglut) {
            glutBitmapCharacter(GLUT_BITMAP_8_BY_13, c);
        } else {
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glBitmap(kWglFontWidth, kWglFontHeight, 0.0f, (float)kWglFontDescent, (float)kWglFontWidth, 0.0f,
                     wglFont8x13[c]);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        }
    }
    std::vector<uint8_t> pixels(400 * 400);
    glReadPixels(0, 0, 400, 400, GL_RED, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

TEST(WebglLayer, FontGlyphsEqualFreegluts8By13)
{
    glTestWindow();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1.0f, 1.0f, 1.0f);
    const std::vector<uint8_t> freeglut = drawAllGlyphs(true);
    const std::vector<uint8_t> layer    = drawAllGlyphs(false);
    EXPECT_GT(std::count(layer.begin(), layer.end(), 255), 3000);
    std::vector<int> differing;
    for (int c = 1; c < kWglFontGlyphs; c++) {
        const int x0 = 10 + 20 * (c % 16) - 4, y0 = 380 - 20 * (c / 16) - 6;  // the cell and a margin round it
        bool same = true;
        for (int y = y0; y < y0 + 20; y++)
            for (int x = x0; x < x0 + 20; x++)
                same = same && layer[(size_t)(y * 400 + x)] == freeglut[(size_t)(y * 400 + x)];
        if (!same)
            differing.push_back(c);
    }
    EXPECT_EQ(differing, redrawnGlyphs);
    glEnable(GL_DEPTH_TEST);
}
