// wgl_light.cpp -- GL 1.1's lighting equation for light 0 and the front material, per vertex.
#include "wgl_light.h"

#include <algorithm>
#include <cmath>

// ---- functions -------------------------------------------------------------
static float dot3(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

static void normalize3(float v[3])
{
    const float length = std::sqrt(dot3(v, v));
    if (length > 0.0f)
        for (int i = 0; i < 3; i++)
            v[i] /= length;
}

void wglLitPrepare(const WglLighting& lighting, WglLitTerms& terms)
{
    const WglMaterial& mat   = lighting.material;
    const WglLight&    light = lighting.light;
    terms.lit = light.enabled;
    for (int i = 0; i < 3; i++) {
        terms.base[i] = mat.emission[i] + lighting.modelAmbient[i] * mat.ambient[i];
        if (light.enabled)
            terms.base[i] += light.ambient[i] * mat.ambient[i];
        terms.diffuse[i]  = light.diffuse[i] * mat.diffuse[i];
        terms.specular[i] = light.specular[i] * mat.specular[i];
    }
    for (int i = 0; i < 4; i++)
        terms.position[i] = light.position[i];
    terms.shininess = mat.shininess;
    terms.alpha     = std::clamp(mat.diffuse[3], 0.0f, 1.0f);
}

void wglLitVertex(const WglLitTerms& terms, const float eyePosition[4], const float eyeNormal[3], float out[4])
{
    float color[3] = {terms.base[0], terms.base[1], terms.base[2]};
    if (terms.lit) {
        // Towards the light: its direction, or from the vertex to its point.
        float toLight[3];
        for (int i = 0; i < 3; i++)
            toLight[i] = terms.position[3] == 0.0f ? terms.position[i] : terms.position[i] - eyePosition[i];
        normalize3(toLight);
        const float diffuse = dot3(eyeNormal, toLight);

        float specular = 0.0f;
        if (diffuse > 0.0f) {
            float half[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};
            normalize3(half);
            const float facing = dot3(eyeNormal, half);
            if (facing > 0.0f)
                specular = terms.shininess == 0.0f ? 1.0f : std::pow(facing, terms.shininess);
        }
        for (int i = 0; i < 3; i++)
            color[i] += std::max(diffuse, 0.0f) * terms.diffuse[i] + specular * terms.specular[i];
    }
    for (int i = 0; i < 3; i++)
        out[i] = std::clamp(color[i], 0.0f, 1.0f);
    out[3] = terms.alpha;
}

void wglLitColor(const WglLighting& lighting, const float eyePosition[4], const float eyeNormal[3], float out[4])
{
    WglLitTerms terms;
    wglLitPrepare(lighting, terms);
    wglLitVertex(terms, eyePosition, eyeNormal, out);
}
