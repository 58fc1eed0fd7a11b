// gl_api.cpp -- the GL 1.1, GLU and GLUT bitmap-font entry points the game calls, under their standard names, over the layer's state.
#include <cmath>
#include <map>
#include <vector>
#include <GL/gl.h>
#include <GL/glu.h>

#include "webgl.h"
#include "wgl_draw.h"
#include "wgl_font.h"
#include "wgl_light.h"
#include "wgl_list.h"
#include "wgl_matrix.h"
#include "wgl_pixels.h"

extern "C" {
// The handle GLUT_BITMAP_8_BY_13 stands for in Emscripten's freeglut_std.h.
void* glutBitmap8By13 = nullptr;
void  glutBitmapCharacter(void* font, int character);
}

// ---- constants -------------------------------------------------------------
constexpr int kWglMatrixStackDepth = 32;

// ---- types -----------------------------------------------------------------
struct WglTexture {
    unsigned int webgl     = 0;  // the browser's object, made at first bind
    int          width     = 0;
    int          height    = 0;
    bool         image     = false;
    GLint        minFilter = GL_NEAREST_MIPMAP_LINEAR;
    GLint        wrap[2]   = {GL_REPEAT, GL_REPEAT};
};

// Each starts as GL's does, holding the identity: the game sets its light
// before it ever loads a matrix.
struct WglStack {
    WglMatrix matrices[kWglMatrixStackDepth] = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
    int       top = 0;
};

// ---- data ------------------------------------------------------------------
static struct {
    bool        started = false;
    GLenum      error   = GL_NO_ERROR;
    GLenum      matrixMode = GL_MODELVIEW;
    WglStack    modelview, projection;
    WglViewport viewport{0, 0, 0, 0};
    WglLighting lighting;
    bool        lightingOn = false;
    float       normal[3]   = {0.0f, 0.0f, 1.0f};
    float       texCoord[2] = {0.0f, 0.0f};
    float       color[4]    = {1.0f, 1.0f, 1.0f, 1.0f};  // the game never sets one
    bool        texturing   = false;
    GLuint      bound       = 0;
    GLuint      nextTexture = 1;
    std::map<GLuint, WglTexture> textures{{0, WglTexture{}}};
    int         proxySize[2] = {0, 0};
    int         maxTextureSize = 0;
    WglUnpack   unpack;
    struct {
        float x = 0, y = 0, z = 0;
        bool  valid = true;
        float color[4]    = {1.0f, 1.0f, 1.0f, 1.0f};
        float texCoord[2] = {0.0f, 0.0f};
    } raster;
    WglList*    compiling = nullptr;
    WglGather   gather;
    std::vector<float>   litColors;
    std::vector<uint8_t> pixels;
} api;

// ---- helpers ---------------------------------------------------------------
// GL keeps the first error until glGetError reads it.
static void apiError(GLenum error)
{
    if (api.error == GL_NO_ERROR)
        api.error = error;
}

// A call the layer does not record into a display list is refused there,
// rather than executed out of order.
static bool apiRefusedInList()
{
    if (!api.compiling)
        return false;
    apiError(GL_INVALID_OPERATION);
    return true;
}

static void apiRecord(WglOp op, unsigned int a = 0, unsigned int b = 0, const float* v = nullptr, int count = 0)
{
    WglCommand command{op, a, b};
    for (int i = 0; i < count; i++)
        command.v[i] = v[i];
    api.compiling->commands.push_back(command);
}

static WglStack& apiStack() { return api.matrixMode == GL_PROJECTION ? api.projection : api.modelview; }
static WglMatrix& apiTop() { return apiStack().matrices[apiStack().top]; }
static const WglMatrix& apiModelview() { return api.modelview.matrices[api.modelview.top]; }
static const WglMatrix& apiProjection() { return api.projection.matrices[api.projection.top]; }

// GL draws untextured where the bound texture cannot be sampled: no image
// yet, or a mipmapped filter without mipmaps.
static bool apiTextured()
{
    const WglTexture& t = api.textures[api.bound];
    return api.texturing && t.image && (t.minFilter == GL_NEAREST || t.minFilter == GL_LINEAR);
}

// WebGL 1 samples a texture of other than power-of-two sizes as black when it
// repeats, so such a texture is clamped instead.
static void apiApplyWrap(const WglTexture& t)
{
    const bool powerOfTwo = (t.width & (t.width - 1)) == 0 && (t.height & (t.height - 1)) == 0;
    wglDrawTextureParameter(GL_TEXTURE_WRAP_S, powerOfTwo ? t.wrap[0] : GL_CLAMP_TO_EDGE);
    wglDrawTextureParameter(GL_TEXTURE_WRAP_T, powerOfTwo ? t.wrap[1] : GL_CLAMP_TO_EDGE);
}

static void apiLitColor(const WglLitTerms& terms, const float position[3], const float normal[3],
                        const float normalMatrix[9], float out[4])
{
    const float object[4] = {position[0], position[1], position[2], 1.0f};
    float eye[4], eyeNormal[3];
    wglTransform(apiModelview(), object, eye);
    for (int r = 0; r < 3; r++)
        eyeNormal[r] = normalMatrix[r * 3] * normal[0] + normalMatrix[r * 3 + 1] * normal[1] + normalMatrix[r * 3 + 2] * normal[2];
    wglLitVertex(terms, eye, eyeNormal, out);
}

// One batch with the state of now; afterwards its last attributes are current.
static void apiDrawBatch(WglBatch& batch)
{
    WglDrawLook look{apiTextured(), nullptr, {api.color[0], api.color[1], api.color[2], api.color[3]}};
    if (api.lightingOn) {
        float normalMatrix[9];
        wglNormalMatrix(apiModelview(), normalMatrix);
        WglLitTerms terms;
        wglLitPrepare(api.lighting, terms);
        api.litColors.resize(batch.vertices.size() * 4);
        for (size_t i = 0; i < batch.vertices.size(); i++)
            apiLitColor(terms, batch.vertices[i].position, batch.vertices[i].normal, normalMatrix, &api.litColors[i * 4]);
        look.colors = api.litColors.data();
    }
    if (api.started)
        wglDrawBatch(batch, wglMultiply(apiProjection(), apiModelview()), look);
    for (int i = 0; i < 3; i++)
        api.normal[i] = batch.lastNormal[i];
    api.texCoord[0] = batch.lastTexCoord[0];
    api.texCoord[1] = batch.lastTexCoord[1];
}

// ---- the seam --------------------------------------------------------------
bool webglStart(int width, int height)
{
    api.started = wglDrawStart();
    if (!api.started)
        return false;
    api.maxTextureSize = wglDrawMaxTextureSize();
    glViewport(0, 0, width, height);
    return true;
}

// Every call has drawn at once into the preserved drawing buffer, which the
// browser shows when the frame's callback returns: nothing is left to do.
void webglSwap() {}

// ---- immediate mode --------------------------------------------------------
void glBegin(GLenum mode)
{
    if (mode != GL_TRIANGLES && mode != GL_QUADS)
        return apiError(GL_INVALID_ENUM);
    if (api.gather.open)
        return apiError(GL_INVALID_OPERATION);
    wglGatherBegin(api.gather, mode);
}

void glEnd()
{
    if (!api.gather.open)
        return apiError(GL_INVALID_OPERATION);
    wglGatherEnd(api.gather, api.normal, api.texCoord);
    if (api.compiling) {
        api.compiling->batches.push_back(std::move(api.gather.batch));
        WglCommand draw{WglOp::Draw};
        draw.batch = (int)api.compiling->batches.size() - 1;
        api.compiling->commands.push_back(draw);
        return;
    }
    apiDrawBatch(api.gather.batch);
    wglDrawForget(api.gather.batch);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (!api.gather.open)
        return;
    wglGatherVertex(api.gather, WglVertex{{x, y, z},
                                          {api.normal[0], api.normal[1], api.normal[2]},
                                          {api.texCoord[0], api.texCoord[1]}});
}

void glTexCoord2f(GLfloat s, GLfloat t)
{
    api.texCoord[0] = s;
    api.texCoord[1] = t;
    if (api.compiling && !api.gather.open)
        apiRecord(WglOp::TexCoord, 0, 0, api.texCoord, 2);
}

void glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz)
{
    api.normal[0] = nx;
    api.normal[1] = ny;
    api.normal[2] = nz;
    if (api.compiling && !api.gather.open)
        apiRecord(WglOp::Normal, 0, 0, api.normal, 3);
}

// ---- display lists ---------------------------------------------------------
GLuint glGenLists(GLsizei range)
{
    if (range < 0)
        apiError(GL_INVALID_VALUE);
    return wglListReserve(range);
}

void glNewList(GLuint list, GLenum mode)
{
    if (mode != GL_COMPILE)
        return apiError(GL_INVALID_ENUM);
    if (list == 0)
        return apiError(GL_INVALID_VALUE);
    if (api.compiling || api.gather.open)
        return apiError(GL_INVALID_OPERATION);
    api.compiling = &wglListRecord(list);
}

void glEndList()
{
    if (!api.compiling || api.gather.open)
        return apiError(GL_INVALID_OPERATION);
    api.compiling = nullptr;
}

void glCallList(GLuint name)
{
    if (apiRefusedInList())
        return;
    WglList* list = wglListFind(name);
    if (!list)
        return;
    for (const WglCommand& c : list->commands) {
        switch (c.op) {
        case WglOp::BindTexture: glBindTexture(GL_TEXTURE_2D, c.a); break;
        case WglOp::BlendFunc:   glBlendFunc(c.a, c.b); break;
        case WglOp::DepthFunc:   glDepthFunc(c.a); break;
        case WglOp::Enable:      glEnable(c.a); break;
        case WglOp::Disable:     glDisable(c.a); break;
        case WglOp::Material:    glMaterialfv(c.a, c.b, c.v); break;
        case WglOp::Normal:      glNormal3f(c.v[0], c.v[1], c.v[2]); break;
        case WglOp::TexCoord:    glTexCoord2f(c.v[0], c.v[1]); break;
        case WglOp::Draw:        apiDrawBatch(list->batches[(size_t)c.batch]); break;
        }
    }
}

// ---- matrices --------------------------------------------------------------
void glMatrixMode(GLenum mode)
{
    if (apiRefusedInList())
        return;
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION)
        return apiError(GL_INVALID_ENUM);
    api.matrixMode = mode;
}

void glLoadIdentity()
{
    if (!apiRefusedInList())
        apiTop() = wglIdentity();
}

void glPushMatrix()
{
    if (apiRefusedInList())
        return;
    WglStack& s = apiStack();
    if (s.top + 1 == kWglMatrixStackDepth)
        return apiError(GL_STACK_OVERFLOW);
    s.matrices[s.top + 1] = s.matrices[s.top];
    s.top++;
}

void glPopMatrix()
{
    if (apiRefusedInList())
        return;
    WglStack& s = apiStack();
    if (s.top == 0)
        return apiError(GL_STACK_UNDERFLOW);
    s.top--;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    if (!apiRefusedInList())
        wglTranslate(apiTop(), x, y, z);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    if (!apiRefusedInList())
        wglRotate(apiTop(), angle, x, y, z);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal, GLdouble farVal)
{
    if (apiRefusedInList())
        return;
    if (left == right || bottom == top || nearVal == farVal)
        return apiError(GL_INVALID_VALUE);
    wglOrtho(apiTop(), left, right, bottom, top, nearVal, farVal);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    if (!apiRefusedInList())
        wglPerspective(apiTop(), fovy, aspect, zNear, zFar);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    if (!apiRefusedInList())
        wglLookAt(apiTop(), eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (apiRefusedInList())
        return;
    if (width < 0 || height < 0)
        return apiError(GL_INVALID_VALUE);
    api.viewport = WglViewport{x, y, width, height};
    if (api.started)
        wglDrawViewport(api.viewport);
}

// ---- lighting --------------------------------------------------------------
void glLightfv(GLenum light, GLenum pname, const GLfloat* params)
{
    if (apiRefusedInList())
        return;
    if (light != GL_LIGHT0)
        return apiError(GL_INVALID_ENUM);
    WglLight& l = api.lighting.light;
    float*    to;
    switch (pname) {
    case GL_POSITION:
        // Kept in eye space: where the modelview puts it now.
        wglTransform(apiModelview(), params, l.position);
        return;
    case GL_AMBIENT:  to = l.ambient; break;
    case GL_DIFFUSE:  to = l.diffuse; break;
    case GL_SPECULAR: to = l.specular; break;
    default:
        return apiError(GL_INVALID_ENUM);
    }
    for (int i = 0; i < 4; i++)
        to[i] = params[i];
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params)
{
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK && face != GL_BACK)
        return apiError(GL_INVALID_ENUM);
    if (pname == GL_SHININESS && (params[0] < 0.0f || params[0] > 128.0f))
        return apiError(GL_INVALID_VALUE);
    WglMaterial& m = api.lighting.material;
    float* to[2]   = {nullptr, nullptr};
    switch (pname) {
    case GL_AMBIENT:             to[0] = m.ambient; break;
    case GL_DIFFUSE:             to[0] = m.diffuse; break;
    case GL_SPECULAR:            to[0] = m.specular; break;
    case GL_EMISSION:            to[0] = m.emission; break;
    case GL_AMBIENT_AND_DIFFUSE: to[0] = m.ambient; to[1] = m.diffuse; break;
    case GL_SHININESS:           break;
    default:
        return apiError(GL_INVALID_ENUM);
    }
    if (api.compiling)
        return apiRecord(WglOp::Material, face, pname, params, pname == GL_SHININESS ? 1 : 4);
    // Lighting is one-sided: the back material is never seen.
    if (face == GL_BACK)
        return;
    if (pname == GL_SHININESS)
        m.shininess = params[0];
    for (float* t : to)
        for (int i = 0; t && i < 4; i++)
            t[i] = params[i];
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param)
{
    if (pname != GL_SHININESS)
        return apiError(GL_INVALID_ENUM);
    glMaterialfv(face, pname, &param);
}

void glShadeModel(GLenum mode)
{
    if (apiRefusedInList())
        return;
    // Flat shading is outside what the layer draws.
    if (mode != GL_SMOOTH)
        apiError(GL_INVALID_ENUM);
}

// ---- textures --------------------------------------------------------------
void glGenTextures(GLsizei n, GLuint* textures)
{
    if (n < 0)
        return apiError(GL_INVALID_VALUE);
    for (GLsizei i = 0; i < n; i++) {
        while (api.textures.count(api.nextTexture))
            api.nextTexture++;
        textures[i] = api.nextTexture;
        api.textures[api.nextTexture++] = WglTexture{};
    }
}

void glDeleteTextures(GLsizei n, const GLuint* textures)
{
    if (n < 0)
        return apiError(GL_INVALID_VALUE);
    for (GLsizei i = 0; i < n; i++) {
        auto found = api.textures.find(textures[i]);
        if (textures[i] == 0 || found == api.textures.end())
            continue;
        if (found->second.webgl && api.started)
            wglDrawTextureDelete(found->second.webgl);
        api.textures.erase(found);
        if (api.bound == textures[i])
            glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void glBindTexture(GLenum target, GLuint texture)
{
    if (target != GL_TEXTURE_2D)
        return apiError(GL_INVALID_ENUM);
    if (api.compiling)
        return apiRecord(WglOp::BindTexture, texture);
    WglTexture& t = api.textures[texture];
    if (texture != 0 && t.webgl == 0 && api.started) {
        t.webgl = wglDrawTextureNew();
        wglDrawTextureBind(t.webgl);
        apiApplyWrap(t);
    }
    api.bound = texture;
    if (api.started)
        wglDrawTextureBind(t.webgl);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    if (apiRefusedInList())
        return;
    if (target != GL_TEXTURE_2D)
        return apiError(GL_INVALID_ENUM);
    WglTexture& t = api.textures[api.bound];
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
        if (param != GL_NEAREST && param != GL_LINEAR && param != GL_NEAREST_MIPMAP_NEAREST &&
            param != GL_LINEAR_MIPMAP_NEAREST && param != GL_NEAREST_MIPMAP_LINEAR && param != GL_LINEAR_MIPMAP_LINEAR)
            return apiError(GL_INVALID_ENUM);
        t.minFilter = param;
        break;
    case GL_TEXTURE_MAG_FILTER:
        if (param != GL_NEAREST && param != GL_LINEAR)
            return apiError(GL_INVALID_ENUM);
        break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
        // GL_CLAMP samples the border colour, which WebGL has not.
        if (param != GL_REPEAT)
            return apiError(GL_INVALID_ENUM);
        t.wrap[pname == GL_TEXTURE_WRAP_T] = param;
        if (api.started)
            apiApplyWrap(t);
        return;
    default:
        return apiError(GL_INVALID_ENUM);
    }
    if (api.started && api.bound != 0)
        wglDrawTextureParameter(pname, param);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels)
{
    if (apiRefusedInList())
        return;
    if (target != GL_TEXTURE_2D && target != GL_PROXY_TEXTURE_2D)
        return apiError(GL_INVALID_ENUM);
    if ((format != GL_RGB && format != GL_BGR) || type != GL_UNSIGNED_BYTE)
        return apiError(GL_INVALID_ENUM);
    // One level, three components: what the game uploads.
    if (level != 0 || (internalFormat != 3 && internalFormat != GL_RGB) || border != 0)
        return apiError(GL_INVALID_VALUE);
    const bool fits = width >= 0 && height >= 0 && width <= api.maxTextureSize && height <= api.maxTextureSize;
    if (target == GL_PROXY_TEXTURE_2D) {
        api.proxySize[0] = fits ? width : 0;
        api.proxySize[1] = fits ? height : 0;
        return;
    }
    if (!fits)
        return apiError(GL_INVALID_VALUE);
    if (api.bound == 0)
        return apiError(GL_INVALID_OPERATION);  // the default texture is outside the layer
    WglTexture& t = api.textures[api.bound];
    if (pixels)
        wglUnpackRgb(api.unpack, width, height, format == GL_BGR, pixels, api.pixels);
    else
        api.pixels.assign((size_t)width * (size_t)height * 3, 0);
    t.width  = width;
    t.height = height;
    t.image  = true;
    if (api.started) {
        wglDrawTextureImage(width, height, api.pixels.data());
        apiApplyWrap(t);
    }
}

void glPrioritizeTextures(GLsizei n, const GLuint*, const GLclampf*)
{
    if (n < 0)
        apiError(GL_INVALID_VALUE);
}

void glPixelStorei(GLenum pname, GLint param)
{
    if (wglUnpackSet(api.unpack, pname, param))
        return;
    const bool known = pname == GL_UNPACK_ALIGNMENT || pname == GL_UNPACK_ROW_LENGTH ||
                       pname == GL_UNPACK_SKIP_ROWS || pname == GL_UNPACK_SKIP_PIXELS;
    apiError(known ? GL_INVALID_VALUE : GL_INVALID_ENUM);
}

// The pixel-store state is the only client state the layer has, so each
// mask saves it.
void glPushClientAttrib(GLbitfield)
{
    if (!wglUnpackPush(api.unpack))
        apiError(GL_STACK_OVERFLOW);
}

void glPopClientAttrib()
{
    if (!wglUnpackPop(api.unpack))
        apiError(GL_STACK_UNDERFLOW);
}

void glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params)
{
    if (target != GL_TEXTURE_2D && target != GL_PROXY_TEXTURE_2D)
        return apiError(GL_INVALID_ENUM);
    if (pname != GL_TEXTURE_WIDTH && pname != GL_TEXTURE_HEIGHT)
        return apiError(GL_INVALID_ENUM);
    const WglTexture& t = api.textures[api.bound];
    const int size[2]   = {target == GL_PROXY_TEXTURE_2D ? api.proxySize[0] : t.width,
                           target == GL_PROXY_TEXTURE_2D ? api.proxySize[1] : t.height};
    *params = level == 0 ? size[pname == GL_TEXTURE_HEIGHT] : 0;
}

void glGetIntegerv(GLenum pname, GLint* params)
{
    if (pname != GL_MAX_TEXTURE_SIZE)
        return apiError(GL_INVALID_ENUM);
    *params = api.maxTextureSize;
}

// ---- fragments and the frame -----------------------------------------------
static void apiCapability(GLenum cap, bool on)
{
    if (api.compiling)
        return apiRecord(on ? WglOp::Enable : WglOp::Disable, cap);
    switch (cap) {
    case GL_LIGHTING:   api.lightingOn = on; return;
    case GL_LIGHT0:     api.lighting.light.enabled = on; return;
    case GL_TEXTURE_2D: api.texturing = on; return;
    case GL_DEPTH_TEST:
    case GL_CULL_FACE:
    case GL_BLEND:
        if (api.started)
            wglDrawCapability(cap, on);
        return;
    default:
        apiError(GL_INVALID_ENUM);
    }
}

void glEnable(GLenum cap) { apiCapability(cap, true); }
void glDisable(GLenum cap) { apiCapability(cap, false); }

void glHint(GLenum target, GLenum mode)
{
    // WebGL corrects perspective always; the hints change nothing.
    if (apiRefusedInList())
        return;
    if (target != GL_PERSPECTIVE_CORRECTION_HINT || (mode != GL_NICEST && mode != GL_FASTEST && mode != GL_DONT_CARE))
        apiError(GL_INVALID_ENUM);
}

void glPolygonMode(GLenum face, GLenum mode)
{
    if (apiRefusedInList())
        return;
    if ((face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) || mode != GL_FILL)
        apiError(GL_INVALID_ENUM);
}

void glCullFace(GLenum mode)
{
    if (apiRefusedInList())
        return;
    if (mode != GL_FRONT && mode != GL_BACK && mode != GL_FRONT_AND_BACK)
        return apiError(GL_INVALID_ENUM);
    if (api.started)
        wglDrawCullFace(mode);
}

void glDepthFunc(GLenum func)
{
    if (func < GL_NEVER || func > GL_ALWAYS)
        return apiError(GL_INVALID_ENUM);
    if (api.compiling)
        return apiRecord(WglOp::DepthFunc, func);
    if (api.started)
        wglDrawDepthFunc(func);
}

static bool apiBlendFactor(GLenum f)
{
    switch (f) {
    case GL_ZERO: case GL_ONE: case GL_SRC_COLOR: case GL_ONE_MINUS_SRC_COLOR: case GL_DST_COLOR:
    case GL_ONE_MINUS_DST_COLOR: case GL_SRC_ALPHA: case GL_ONE_MINUS_SRC_ALPHA: case GL_DST_ALPHA:
    case GL_ONE_MINUS_DST_ALPHA:
        return true;
    default:
        return false;
    }
}

void glBlendFunc(GLenum sfactor, GLenum dfactor)
{
    if (!apiBlendFactor(sfactor) || !apiBlendFactor(dfactor))
        return apiError(GL_INVALID_ENUM);
    if (api.compiling)
        return apiRecord(WglOp::BlendFunc, sfactor, dfactor);
    if (api.started)
        wglDrawBlendFunc(sfactor, dfactor);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    if (!apiRefusedInList() && api.started)
        wglDrawClearColor(red, green, blue, alpha);
}

void glClearDepth(GLclampd depth)
{
    if (!apiRefusedInList() && api.started)
        wglDrawClearDepth((float)depth);
}

void glClear(GLbitfield mask)
{
    if (apiRefusedInList())
        return;
    if (mask & ~(GLbitfield)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT))
        return apiError(GL_INVALID_VALUE);
    if (api.started)
        wglDrawClear(mask);
}

// ---- bitmaps ---------------------------------------------------------------
void glRasterPos2f(GLfloat x, GLfloat y)
{
    if (apiRefusedInList())
        return;
    const float object[4] = {x, y, 0.0f, 1.0f};
    float eye[4];
    const WglWindowPoint p = wglProject(apiModelview(), apiProjection(), api.viewport, object, eye);
    api.raster.x     = p.x;
    api.raster.y     = p.y;
    api.raster.z     = p.z;
    api.raster.valid = p.valid;
    // The raster position takes a colour and texture coordinates as a vertex would.
    if (api.lightingOn) {
        float normalMatrix[9];
        wglNormalMatrix(apiModelview(), normalMatrix);
        WglLitTerms terms;
        wglLitPrepare(api.lighting, terms);
        apiLitColor(terms, object, api.normal, normalMatrix, api.raster.color);
    } else {
        for (int i = 0; i < 4; i++)
            api.raster.color[i] = api.color[i];
    }
    api.raster.texCoord[0] = api.texCoord[0];
    api.raster.texCoord[1] = api.texCoord[1];
}

static void apiBitmap(const WglUnpack& unpack, GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig,
                      GLfloat xmove, GLfloat ymove, const GLubyte* bitmap)
{
    if (!api.raster.valid)
        return;
    if (width > 0 && height > 0 && bitmap && api.started) {
        wglUnpackBitmap(unpack, width, height, bitmap, api.pixels);
        wglDrawBitmap((int)std::floor(api.raster.x - xorig), (int)std::floor(api.raster.y - yorig), api.raster.z,
                      width, height, api.pixels.data(), api.viewport, api.raster.color, apiTextured(),
                      api.raster.texCoord);
    }
    api.raster.x += xmove;
    api.raster.y += ymove;
}

void glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
              const GLubyte* bitmap)
{
    if (apiRefusedInList())
        return;
    if (width < 0 || height < 0)
        return apiError(GL_INVALID_VALUE);
    apiBitmap(api.unpack, width, height, xorig, yorig, xmove, ymove, bitmap);
}

// GLUT reads its glyphs with the tightest unpack state, whatever the game's.
void glutBitmapCharacter(void* font, int character)
{
    if (font != &glutBitmap8By13 || character < 1 || character >= kWglFontGlyphs || apiRefusedInList())
        return;
    const WglUnpack tight{.alignment = 1};
    apiBitmap(tight, kWglFontWidth, kWglFontHeight, 0.0f, (float)kWglFontDescent, (float)kWglFontWidth, 0.0f,
              wglFont8x13[character]);
}

GLenum glGetError()
{
    const GLenum error = api.error;
    api.error          = GL_NO_ERROR;
    return error;
}
