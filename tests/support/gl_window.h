// gl_window.h -- a real freeglut window and GL context for the GL tests.
#pragma once

#include <GL/gl.h>

// Opens the test window the first time (400x400, double-buffered RGBA with
// depth) and makes its context current. Needs an X display (xvfb-run).
void glTestWindow();

// Reads back the current modelview / projection matrix, column-major.
void glTestMatrix(GLenum which, double out[16]);
