// gl_window.cpp -- one real window shared by every GL test of a test program.
#include "support/gl_window.h"

#include <GL/freeglut.h>

static int glTestWindowId = 0;

static void glTestDisplay() {}

void glTestWindow()
{
    if (glTestWindowId == 0) {
        int   argc   = 1;
        char  name[] = "vortavia-test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(400, 400);
        glTestWindowId = glutCreateWindow("vortavia test");
        glutDisplayFunc(glTestDisplay);
    }
    glutSetWindow(glTestWindowId);
}

void glTestMatrix(GLenum which, double out[16])
{
    glGetDoublev(which, out);
}

int glTestInteger(GLenum what)
{
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}
