// gl_window.h -- a real freeglut window and GL context for the GL tests.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/edition.h"

// Opens the test window the first time (400x400, double-buffered RGBA with
// depth) and makes its context current. Needs an X display (xvfb-run).
void glTestWindow();

// Reads back the current modelview / projection matrix, column-major.
void glTestMatrix(GLenum which, double out[16]);

// One integer of GL state, as glGetIntegerv gives it.
int glTestInteger(GLenum what);

// A test in the window's context, with the keyboard edition selected: every
// piece of game state back at its start.
class GlTest : public testing::Test {
protected:
    void SetUp() override
    {
        glTestWindow();
        editionSelect(kKeyboardEdition);
    }
};
