// webgl.h -- the seam between the page's GLUT and the fixed-function GL layer drawn with WebGL.
#pragma once

// Called once the WebGL 1 context is current (alpha off, depth on, no
// antialiasing, drawing buffer preserved). Builds the shader and buffers the
// layer draws with; false when that context cannot serve.
bool webglStart(int width, int height);

// Called where the native program would swap buffers: draws what is still
// gathered, so the browser shows the whole frame.
void webglSwap();
