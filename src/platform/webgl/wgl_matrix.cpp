// wgl_matrix.cpp -- the 4x4 matrices of the fixed-function pipeline: products, GL's and GLU's transforms, projection to the window.
#include "wgl_matrix.h"

#include <cmath>

// ---- constants -------------------------------------------------------------
constexpr double kWglPi = 3.14159265358979323846;

// ---- functions -------------------------------------------------------------
static float& at(WglMatrix& a, int row, int column) { return a.m[column * 4 + row]; }
static float  at(const WglMatrix& a, int row, int column) { return a.m[column * 4 + row]; }

WglMatrix wglIdentity()
{
    WglMatrix a{};
    a.m[0] = a.m[5] = a.m[10] = a.m[15] = 1.0f;
    return a;
}

WglMatrix wglMultiply(const WglMatrix& a, const WglMatrix& b)
{
    WglMatrix p;
    for (int i = 0; i < 4; i++) {
        const float ai0 = at(a, i, 0), ai1 = at(a, i, 1), ai2 = at(a, i, 2), ai3 = at(a, i, 3);
        for (int j = 0; j < 4; j++)
            at(p, i, j) = ai0 * at(b, 0, j) + ai1 * at(b, 1, j) + ai2 * at(b, 2, j) + ai3 * at(b, 3, j);
    }
    return p;
}

void wglTranslate(WglMatrix& top, float x, float y, float z)
{
    float* m = top.m;
    for (int i = 0; i < 4; i++)
        m[12 + i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void wglRotate(WglMatrix& top, float angleDegrees, float x, float y, float z)
{
    const float s = (float)std::sin(angleDegrees * kWglPi / 180.0);
    const float c = (float)std::cos(angleDegrees * kWglPi / 180.0);
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length <= 1.0e-4f)
        return;
    x /= length;
    y /= length;
    z /= length;
    const float oneC = 1.0f - c;
    WglMatrix r = wglIdentity();
    at(r, 0, 0) = oneC * x * x + c;
    at(r, 0, 1) = oneC * x * y - z * s;
    at(r, 0, 2) = oneC * z * x + y * s;
    at(r, 1, 0) = oneC * x * y + z * s;
    at(r, 1, 1) = oneC * y * y + c;
    at(r, 1, 2) = oneC * y * z - x * s;
    at(r, 2, 0) = oneC * z * x - y * s;
    at(r, 2, 1) = oneC * y * z + x * s;
    at(r, 2, 2) = oneC * z * z + c;
    top = wglMultiply(top, r);
}

void wglOrtho(WglMatrix& top, double left, double right, double bottom, double top_, double nearZ, double farZ)
{
    const float l = (float)left, r = (float)right, b = (float)bottom, t = (float)top_;
    const float n = (float)nearZ, f = (float)farZ;
    WglMatrix o = wglIdentity();
    at(o, 0, 0) = 2.0f / (r - l);
    at(o, 0, 3) = -(r + l) / (r - l);
    at(o, 1, 1) = 2.0f / (t - b);
    at(o, 1, 3) = -(t + b) / (t - b);
    at(o, 2, 2) = -2.0f / (f - n);
    at(o, 2, 3) = -(f + n) / (f - n);
    top = wglMultiply(top, o);
}

void wglPerspective(WglMatrix& top, double fovyDegrees, double aspect, double nearZ, double farZ)
{
    const double radians = fovyDegrees / 2 * kWglPi / 180;
    const double depth   = farZ - nearZ;
    const double sine    = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    WglMatrix p{};
    at(p, 0, 0) = (float)(cotangent / aspect);
    at(p, 1, 1) = (float)cotangent;
    at(p, 2, 2) = (float)(-(farZ + nearZ) / depth);
    at(p, 3, 2) = -1.0f;
    at(p, 2, 3) = (float)(-2 * nearZ * farZ / depth);
    top = wglMultiply(top, p);
}

// GLU works the look-at frame out in single precision.
static void lookNormalize(float v[3])
{
    const float r = (float)std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f)
        return;
    for (int i = 0; i < 3; i++)
        v[i] /= r;
}

static void lookCross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void wglLookAt(WglMatrix& top, double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
               double centerZ, double upX, double upY, double upZ)
{
    float forward[3] = {(float)(centerX - eyeX), (float)(centerY - eyeY), (float)(centerZ - eyeZ)};
    float up[3]      = {(float)upX, (float)upY, (float)upZ};
    float side[3];
    lookNormalize(forward);
    lookCross(forward, up, side);
    lookNormalize(side);
    lookCross(side, forward, up);
    WglMatrix l = wglIdentity();
    for (int i = 0; i < 3; i++) {
        at(l, 0, i) = side[i];
        at(l, 1, i) = up[i];
        at(l, 2, i) = -forward[i];
    }
    top = wglMultiply(top, l);
    wglTranslate(top, (float)-eyeX, (float)-eyeY, (float)-eyeZ);
}

void wglTransform(const WglMatrix& m, const float in[4], float out[4])
{
    for (int i = 0; i < 4; i++)
        out[i] = at(m, i, 0) * in[0] + at(m, i, 1) * in[1] + at(m, i, 2) * in[2] + at(m, i, 3) * in[3];
}

void wglNormalMatrix(const WglMatrix& modelview, float out[9])
{
    double a[3][3];
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            a[r][c] = at(modelview, r, c);
    // The cofactor matrix over the determinant is the inverse transposed.
    const double cof[3][3] = {
        {a[1][1] * a[2][2] - a[1][2] * a[2][1], a[1][2] * a[2][0] - a[1][0] * a[2][2], a[1][0] * a[2][1] - a[1][1] * a[2][0]},
        {a[0][2] * a[2][1] - a[0][1] * a[2][2], a[0][0] * a[2][2] - a[0][2] * a[2][0], a[0][1] * a[2][0] - a[0][0] * a[2][1]},
        {a[0][1] * a[1][2] - a[0][2] * a[1][1], a[0][2] * a[1][0] - a[0][0] * a[1][2], a[0][0] * a[1][1] - a[0][1] * a[1][0]},
    };
    const double det = a[0][0] * cof[0][0] + a[0][1] * cof[0][1] + a[0][2] * cof[0][2];
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            out[r * 3 + c] = det == 0 ? (r == c ? 1.0f : 0.0f) : (float)(cof[r][c] / det);
}

WglWindowPoint wglProject(const WglMatrix& modelview, const WglMatrix& projection, const WglViewport& viewport,
                          const float object[4], float eye[4])
{
    float clip[4];
    wglTransform(modelview, object, eye);
    wglTransform(projection, eye, clip);
    const float w = clip[3];
    WglWindowPoint p{};
    p.valid = w > 0 && clip[0] >= -w && clip[0] <= w && clip[1] >= -w && clip[1] <= w && clip[2] >= -w && clip[2] <= w;
    if (w == 0)
        return p;
    const float half[2] = {viewport.width / 2.0f, viewport.height / 2.0f};
    p.x = clip[0] / w * half[0] + (viewport.x + half[0]);
    p.y = clip[1] / w * half[1] + (viewport.y + half[1]);
    p.z = clip[2] / w * 0.5f + 0.5f;
    return p;
}
