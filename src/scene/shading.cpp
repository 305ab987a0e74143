#include <cmath>

#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

// The order of every sum below is part of the picture.
void Scene::shade(const SceneObject& object, const Vector3& direction, const Vector3& point, const Vector3& normal,
                  Vector3& colourOut, int depth) const {
    const Material& m = object.material();
    colourOut.set(0.0f, 0.0f, 0.0f);

    // Mirror direction d - 2(d·n)n; neither n nor the result is renormalised.
    const float c = -dot(direction, normal);
    Vector3 reflected = direction;
    reflected.addScaled(normal, c + c);

    if (m.reflectivity != 0.0f) {
        Vector3 mirrored;
        trace(Ray(point, reflected), mirrored, depth + 1);
        colourOut.addScaled(mirrored, m.reflectivity);
    }
    if (m.reflectivity == 1.0f) return;

    Vector3 local(0.0f, 0.0f, 0.0f);
    local += m.colour.mul(ambientColour);

    for (const Light* light : lights_) {
        Vector3 sum(0.0f, 0.0f, 0.0f);
        Vector3 toPoint = point - light->position();
        float k = -dot(toPoint, normal);
        if (k < 0.0f) continue;  // the light is behind the surface

        // A light exactly at the point leaves the reciprocal at 0, so it adds nothing.
        float q = 0.0f;
        const float distance = toPoint.normalize(&q);
        const float q2 = q * q;
        k = k * q;

        if (isOccluded(Ray(point, toPoint.scaled(-1.0f)), distance)) continue;

        const float f = k * q2;
        sum.addScaled(m.colour, f);

        if (m.specular != 0.0f) {
            const float sigma = -dot(reflected, toPoint);
            if (sigma > 0.0f) {
                const double s = sigma;
                const float h = static_cast<float>(
                    m.specular * (std::pow(s, static_cast<double>(m.specularExponent)) * (s * q2)));
                sum += Vector3(h, h, h);
            }
        }
        local += sum.mul(light->intensity());
    }
    colourOut.addScaled(local, 1.0f - m.reflectivity);
}
