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

// What the equation takes from light and material alone, worked out once
// for a whole batch of vertices.
struct WglLitTerms {
    float base[3];      // emission and both ambient terms
    float diffuse[3];   // light times material
    float specular[3];
    float shininess;
    float alpha;
    float position[4];  // the light's, in eye space
    bool  lit;          // light 0 on
};

void wglLitPrepare(const WglLighting& lighting, WglLitTerms& terms);
void wglLitVertex(const WglLitTerms& terms, const float eyePosition[4], const float eyeNormal[3], float out[4]);

// The colour a vertex gets at eyePosition (w 1) with eyeNormal (already
// through the normal matrix, not renormalised, as GL leaves it without
// GL_NORMALIZE), clamped to 0..1; a viewer at infinity, one-sided.
void wglLitColor(const WglLighting& lighting, const float eyePosition[4], const float eyeNormal[3], float out[4]);
