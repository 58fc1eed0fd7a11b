// wgl_draw.cpp -- the only calls into the browser's WebGL: the shader, vertex buffers, textures and the state GL and WebGL share.
#include "wgl_draw.h"

#include <cstdio>
#include <vector>
// The layer itself defines glEnable, glBindTexture and the rest under their
// GL names for the game, so WebGL is reached through Emscripten's second
// name for each of its bindings, emscripten_gl*; this header declares them
// and is kept away from the files that include <GL/gl.h>.
#include <webgl/webgl1.h>

// ---- constants -------------------------------------------------------------
enum WglAttribute : GLuint { kWglPosition = 0, kWglTexCoord = 1, kWglColor = 2 };

constexpr const char* kWglVertexShader = R"(
attribute vec3 position;
attribute vec2 texCoord;
attribute vec4 color;
uniform mat4 mvp;
varying vec2 vTexCoord;
varying vec4 vColor;
void main() {
    gl_Position = mvp * vec4(position, 1.0);
    vTexCoord = texCoord;
    vColor = color;
}
)";

// mode 0: colour; 1: colour times texture; 2 and 3: the same for a bitmap,
// whose mask (unit 1) decides which fragments exist at all.
constexpr const char* kWglFragmentShader = R"(
precision highp float;
uniform sampler2D image;
uniform sampler2D mask;
uniform int mode;
uniform vec2 rasterTexCoord;
varying vec2 vTexCoord;
varying vec4 vColor;
void main() {
    if (mode >= 2 && texture2D(mask, vTexCoord).r < 0.5)
        discard;
    vec2 at = mode >= 2 ? rasterTexCoord : vTexCoord;
    gl_FragColor = (mode == 1 || mode == 3) ? vColor * texture2D(image, at) : vColor;
}
)";

// ---- data ------------------------------------------------------------------
static struct {
    GLuint program = 0;
    GLint  mvp = -1, mode = -1, rasterTexCoord = -1;
    GLuint scratch = 0, colors = 0, mask = 0;  // buffers and the bitmap mask texture
    std::vector<float> vertices;
} draw;

// ---- functions -------------------------------------------------------------
static GLuint drawShader(GLenum type, const char* source)
{
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        fprintf(stderr, "WebGL shader: %s\n", log);
    }
    return ok ? shader : 0;
}

bool wglDrawStart()
{
    const GLuint vs = drawShader(GL_VERTEX_SHADER, kWglVertexShader);
    const GLuint fs = drawShader(GL_FRAGMENT_SHADER, kWglFragmentShader);
    if (!vs || !fs)
        return false;
    draw.program = emscripten_glCreateProgram();
    emscripten_glAttachShader(draw.program, vs);
    emscripten_glAttachShader(draw.program, fs);
    emscripten_glBindAttribLocation(draw.program, kWglPosition, "position");
    emscripten_glBindAttribLocation(draw.program, kWglTexCoord, "texCoord");
    emscripten_glBindAttribLocation(draw.program, kWglColor, "color");
    emscripten_glLinkProgram(draw.program);
    GLint ok = 0;
    emscripten_glGetProgramiv(draw.program, GL_LINK_STATUS, &ok);
    if (!ok)
        return false;
    emscripten_glUseProgram(draw.program);
    draw.mvp            = emscripten_glGetUniformLocation(draw.program, "mvp");
    draw.mode           = emscripten_glGetUniformLocation(draw.program, "mode");
    draw.rasterTexCoord = emscripten_glGetUniformLocation(draw.program, "rasterTexCoord");
    emscripten_glUniform1i(emscripten_glGetUniformLocation(draw.program, "image"), 0);
    emscripten_glUniform1i(emscripten_glGetUniformLocation(draw.program, "mask"), 1);
    emscripten_glGenBuffers(1, &draw.scratch);
    emscripten_glGenBuffers(1, &draw.colors);

    emscripten_glActiveTexture(GL_TEXTURE1);
    emscripten_glGenTextures(1, &draw.mask);
    emscripten_glBindTexture(GL_TEXTURE_2D, draw.mask);
    for (GLenum p : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        emscripten_glTexParameteri(GL_TEXTURE_2D, p, GL_NEAREST);
    for (GLenum p : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        emscripten_glTexParameteri(GL_TEXTURE_2D, p, GL_CLAMP_TO_EDGE);
    emscripten_glActiveTexture(GL_TEXTURE0);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    emscripten_glEnableVertexAttribArray(kWglPosition);
    emscripten_glEnableVertexAttribArray(kWglTexCoord);
    return true;
}

// Positions and texture coordinates interleaved, five floats a vertex.
static void drawVertices(const WglBatch& batch)
{
    draw.vertices.clear();
    for (const WglVertex& v : batch.vertices)
        draw.vertices.insert(draw.vertices.end(),
                             {v.position[0], v.position[1], v.position[2], v.texCoord[0], v.texCoord[1]});
    emscripten_glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(draw.vertices.size() * sizeof(float)),
                            draw.vertices.data(), GL_STATIC_DRAW);
}

static void drawLook(const WglDrawLook& look, size_t count)
{
    if (look.colors) {
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, draw.colors);
        emscripten_glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(count * 4 * sizeof(float)), look.colors,
                                GL_STREAM_DRAW);
        emscripten_glEnableVertexAttribArray(kWglColor);
        emscripten_glVertexAttribPointer(kWglColor, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    } else {
        emscripten_glDisableVertexAttribArray(kWglColor);
        emscripten_glVertexAttrib4f(kWglColor, look.constColor[0], look.constColor[1], look.constColor[2],
                                    look.constColor[3]);
    }
}

void wglDrawBatch(WglBatch& batch, const WglMatrix& mvp, const WglDrawLook& look)
{
    if (batch.vertices.empty())
        return;
    drawLook(look, batch.vertices.size());
    if (batch.buffer == 0) {
        emscripten_glGenBuffers(1, &batch.buffer);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, batch.buffer);
        drawVertices(batch);
        if (!batch.indices.empty()) {
            emscripten_glGenBuffers(1, &batch.indexBuffer);
            emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, batch.indexBuffer);
            emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(batch.indices.size() * sizeof(unsigned short)),
                                    batch.indices.data(), GL_STATIC_DRAW);
        }
    }
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, batch.buffer);
    emscripten_glVertexAttribPointer(kWglPosition, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(float), nullptr);
    emscripten_glVertexAttribPointer(kWglTexCoord, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(float),
                                     (const void*)(3 * sizeof(float)));
    emscripten_glUniformMatrix4fv(draw.mvp, 1, GL_FALSE, mvp.m);
    emscripten_glUniform1i(draw.mode, look.textured ? 1 : 0);
    if (batch.indices.empty()) {
        emscripten_glDrawArrays(GL_TRIANGLES, 0, (GLsizei)batch.vertices.size());
        return;
    }
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, batch.indexBuffer);
    emscripten_glDrawElements(GL_TRIANGLES, (GLsizei)batch.indices.size(), GL_UNSIGNED_SHORT, nullptr);
}

void wglDrawBitmap(int x, int y, float z, int width, int height, const uint8_t* mask, const WglViewport& viewport,
                   const float color[4], bool textured, const float texCoord[2])
{
    emscripten_glActiveTexture(GL_TEXTURE1);
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, width, height, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, mask);
    emscripten_glActiveTexture(GL_TEXTURE0);

    // The window rectangle, in the clip coordinates this viewport gives it.
    const float x0 = (float)(x - viewport.x) / (float)viewport.width * 2.0f - 1.0f;
    const float y0 = (float)(y - viewport.y) / (float)viewport.height * 2.0f - 1.0f;
    const float x1 = (float)(x + width - viewport.x) / (float)viewport.width * 2.0f - 1.0f;
    const float y1 = (float)(y + height - viewport.y) / (float)viewport.height * 2.0f - 1.0f;
    const float d  = z * 2.0f - 1.0f;
    const float corners[6][4] = {{x0, y0, 0, 0}, {x1, y0, 1, 0}, {x1, y1, 1, 1},
                                 {x0, y0, 0, 0}, {x1, y1, 1, 1}, {x0, y1, 0, 1}};
    WglBatch quad;
    for (const float* c : corners)
        quad.vertices.push_back(WglVertex{{c[0], c[1], d}, {0, 0, 1}, {c[2], c[3]}});

    GLboolean culling = emscripten_glIsEnabled(GL_CULL_FACE);
    emscripten_glDisable(GL_CULL_FACE);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, draw.scratch);
        drawVertices(quad);
        emscripten_glVertexAttribPointer(kWglPosition, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(float), nullptr);
        emscripten_glVertexAttribPointer(kWglTexCoord, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(float),
                                         (const void*)(3 * sizeof(float)));
        WglDrawLook look{textured, nullptr, {color[0], color[1], color[2], color[3]}};
        drawLook(look, 6);
        const WglMatrix identity = wglIdentity();
        emscripten_glUniformMatrix4fv(draw.mvp, 1, GL_FALSE, identity.m);
        emscripten_glUniform1i(draw.mode, textured ? 3 : 2);
        emscripten_glUniform2f(draw.rasterTexCoord, texCoord[0], texCoord[1]);
        emscripten_glDrawArrays(GL_TRIANGLES, 0, 6);
    if (culling)
        emscripten_glEnable(GL_CULL_FACE);
}

unsigned int wglDrawTextureNew()
{
    GLuint texture = 0;
    emscripten_glGenTextures(1, &texture);
    return texture;
}

void wglDrawTextureDelete(unsigned int texture) { emscripten_glDeleteTextures(1, &texture); }
void wglDrawTextureBind(unsigned int texture) { emscripten_glBindTexture(GL_TEXTURE_2D, texture); }

void wglDrawTextureImage(int width, int height, const uint8_t* rgb)
{
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}

void wglDrawTextureParameter(unsigned int name, int value)
{
    emscripten_glTexParameteri(GL_TEXTURE_2D, name, value);
}

int wglDrawMaxTextureSize()
{
    GLint size = 0;
    emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

void wglDrawCapability(unsigned int capability, bool on)
{
    if (on)
        emscripten_glEnable(capability);
    else
        emscripten_glDisable(capability);
}

void wglDrawBlendFunc(unsigned int source, unsigned int destination) { emscripten_glBlendFunc(source, destination); }
void wglDrawDepthFunc(unsigned int function) { emscripten_glDepthFunc(function); }
void wglDrawCullFace(unsigned int face) { emscripten_glCullFace(face); }
void wglDrawViewport(const WglViewport& v) { emscripten_glViewport(v.x, v.y, v.width, v.height); }
void wglDrawClearColor(float r, float g, float b, float a) { emscripten_glClearColor(r, g, b, a); }
void wglDrawClearDepth(float depth) { emscripten_glClearDepthf(depth); }
void wglDrawClear(unsigned int mask) { emscripten_glClear(mask); }

void wglDrawForget(WglBatch& batch)
{
    for (unsigned int* buffer : {&batch.buffer, &batch.indexBuffer})
        if (*buffer != 0)
            emscripten_glDeleteBuffers(1, buffer);
    batch.buffer = batch.indexBuffer = 0;
}
