// wgl_light.h -- GL 1.1's lighting equation for light 0 and the front material, per vertex.
#pragma once

struct WglMaterial {
    float ambient[4]  = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4]  = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess   = 0.0f;
};

// Light 0 as GL starts it; the position is kept in eye space, as glLightfv
// leaves it.
struct WglLight {
    float position[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    float ambient[4]  = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4]  = {1.0f, 1.0f, 1.0f, 1.0f};
    float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool  enabled     = false;
};

struct WglLighting {
    WglLight    light;
    WglMaterial material;
    float       modelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
};

// The colour a vertex gets at eyePosition (w 1) with eyeNormal (already
// through the normal matrix, not renormalised, as GL leaves it without
// GL_NORMALIZE), clamped to 0..1; a viewer at infinity, one-sided.
void wglLitColor(const WglLighting& lighting, const float eyePosition[4], const float eyeNormal[3], float out[4]);
