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

void wglLitColor(const WglLighting& lighting, const float eyePosition[4], const float eyeNormal[3], float out[4])
{
    const WglMaterial& mat   = lighting.material;
    const WglLight&    light = lighting.light;
    float color[3];
    for (int i = 0; i < 3; i++)
        color[i] = mat.emission[i] + lighting.modelAmbient[i] * mat.ambient[i];

    if (light.enabled) {
        // Towards the light: its direction, or from the vertex to its point.
        float toLight[3];
        for (int i = 0; i < 3; i++)
            toLight[i] = light.position[3] == 0.0f ? light.position[i] : light.position[i] - eyePosition[i];
        normalize3(toLight);
        const float diffuse = dot3(eyeNormal, toLight);

        float specular = 0.0f;
        if (diffuse > 0.0f) {
            float half[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};
            normalize3(half);
            const float facing = dot3(eyeNormal, half);
            if (facing > 0.0f)
                specular = mat.shininess == 0.0f ? 1.0f : std::pow(facing, mat.shininess);
        }
        for (int i = 0; i < 3; i++)
            color[i] += light.ambient[i] * mat.ambient[i] + std::max(diffuse, 0.0f) * light.diffuse[i] * mat.diffuse[i] +
                        specular * light.specular[i] * mat.specular[i];
    }
    for (int i = 0; i < 3; i++)
        out[i] = std::clamp(color[i], 0.0f, 1.0f);
    out[3] = std::clamp(mat.diffuse[3], 0.0f, 1.0f);
}
