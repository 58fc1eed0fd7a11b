// wgl_matrix.h -- the 4x4 matrices of the fixed-function pipeline: products, GL's and GLU's transforms, projection to the window.
#pragma once

// Column-major floats, as GL stores and glGetFloatv returns them.
struct WglMatrix {
    float m[16];
};

// The viewport and depth range a window position is computed with.
struct WglViewport {
    int x, y, width, height;
};

// A point taken to the window: valid is false where it lies outside the view
// volume (a raster position there draws nothing).
struct WglWindowPoint {
    float x, y, z;
    bool  valid;
};

WglMatrix wglIdentity();
// a times b, in float, the order GL multiplies a matrix onto the stack's top.
WglMatrix wglMultiply(const WglMatrix& a, const WglMatrix& b);
void      wglTranslate(WglMatrix& top, float x, float y, float z);
void      wglRotate(WglMatrix& top, float angleDegrees, float x, float y, float z);
void      wglOrtho(WglMatrix& top, double left, double right, double bottom, double top_, double nearZ, double farZ);
// GLU's two, each multiplied onto the top as GLU hands them to GL.
void      wglPerspective(WglMatrix& top, double fovyDegrees, double aspect, double nearZ, double farZ);
void      wglLookAt(WglMatrix& top, double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                    double centerZ, double upX, double upY, double upZ);

// m times (x, y, z, w).
void wglTransform(const WglMatrix& m, const float in[4], float out[4]);
// The inverse transpose of the upper 3x3 (normals go to eye space by it),
// row-major.
void wglNormalMatrix(const WglMatrix& modelview, float out[9]);
// Object coordinates through modelview, projection and viewport (depth range
// 0 to 1), as glRasterPos does; eye gets the eye-space point.
WglWindowPoint wglProject(const WglMatrix& modelview, const WglMatrix& projection, const WglViewport& viewport,
                          const float object[4], float eye[4]);
