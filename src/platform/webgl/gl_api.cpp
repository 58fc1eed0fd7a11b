// gl_api.cpp -- the GL 1.1, GLU and GLUT bitmap-font entry points the game calls, under their standard names.
#include <GL/gl.h>
#include <GL/glu.h>

#include "webgl.h"

extern "C" {
// The handle GLUT_BITMAP_8_BY_13 names in Emscripten's freeglut_std.h.
void* glutBitmap8By13 = nullptr;
void glutBitmapCharacter(void* font, int character);
}

// ---- file-static data ------------------------------------------------------
static struct {
    GLenum error = GL_NO_ERROR;
    GLuint nextList = 1;
    GLuint nextTexture = 1;
} api;

// ---- functions -------------------------------------------------------------
bool webglStart(int, int) { return true; }
void webglSwap() {}

void glBegin(GLenum) {}
void glEnd() {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glNormal3f(GLfloat, GLfloat, GLfloat) {}

GLuint glGenLists(GLsizei range)
{
    GLuint first = api.nextList;
    api.nextList += (GLuint)range;
    return first;
}
void glNewList(GLuint, GLenum) {}
void glEndList() {}
void glCallList(GLuint) {}

void glMatrixMode(GLenum) {}
void glLoadIdentity() {}
void glPushMatrix() {}
void glPopMatrix() {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}
void gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}

void glLightfv(GLenum, GLenum, const GLfloat*) {}
void glMaterialf(GLenum, GLenum, GLfloat) {}
void glMaterialfv(GLenum, GLenum, const GLfloat*) {}
void glShadeModel(GLenum) {}

void glGenTextures(GLsizei n, GLuint* textures)
{
    for (GLsizei i = 0; i < n; i++)
        textures[i] = api.nextTexture++;
}
void glDeleteTextures(GLsizei, const GLuint*) {}
void glBindTexture(GLenum, GLuint) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid*) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glPrioritizeTextures(GLsizei, const GLuint*, const GLclampf*) {}
void glPixelStorei(GLenum, GLint) {}
void glPushClientAttrib(GLbitfield) {}
void glPopClientAttrib() {}
void glGetTexLevelParameteriv(GLenum, GLint, GLenum, GLint* params) { *params = 0; }
void glGetIntegerv(GLenum, GLint* params) { *params = 0; }

void glEnable(GLenum) {}
void glDisable(GLenum) {}
void glHint(GLenum, GLenum) {}
void glPolygonMode(GLenum, GLenum) {}
void glCullFace(GLenum) {}
void glDepthFunc(GLenum) {}
void glBlendFunc(GLenum, GLenum) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glClearDepth(GLclampd) {}
void glClear(GLbitfield) {}

void glRasterPos2f(GLfloat, GLfloat) {}
void glBitmap(GLsizei, GLsizei, GLfloat, GLfloat, GLfloat, GLfloat, const GLubyte*) {}
void glutBitmapCharacter(void*, int) {}

GLenum glGetError()
{
    GLenum e = api.error;
    api.error = GL_NO_ERROR;
    return e;
}
