// The lighting model's steps, shared by the scene and the fast renderer.
#pragma once

#include <cmath>
#include <vector>

#include "math/ray.h"
#include "math/vector3.h"
#include "scene/light.h"
#include "scene/material.h"
#include "scene/scene.h"

// Mirror direction d - 2(d·n)n; neither n nor the result is renormalised.
inline Vector3 mirrorDirection(const Vector3& direction, const Vector3& normal) {
    const float c = -dot(direction, normal);
    Vector3 reflected = direction;
    reflected.addScaled(normal, c + c);
    return reflected;
}

// Where a ray is shaded: a little short of its hit, so that secondary rays
// do not meet the same surface again.
inline Vector3 shadingPoint(const Ray& ray, float distance) {
    const float s = distance * 0.999f;
    Vector3 point = ray.origin;
    point.addScaled(ray.direction, s);
    return point;
}

// The highlight of the lighting model: ks·(σ^e·(σ·q2)), the power and both
// products in double, rounded to float once.
inline float specularHighlight(float ks, float sigma, float q2, float exponent) {
    const double s = sigma;
    return static_cast<float>(ks * (std::pow(s, static_cast<double>(exponent)) * (s * q2)));
}

// The lighting model at a shading point. The order of every sum is part of
// the picture. The caller supplies how a ray is traced, how a shadow ray is
// tested and how the highlight's power is taken, so that the scene and the
// renderer's fast path shade with these same steps.
//   traceMirror(ray, colour): the colour seen along the mirror ray
//   occluded(ray, distance):  whether something lies in [0, distance) along ray
//   highlight(ks, sigma, q2, e): ks·(sigma^e·(sigma·q2)) as a float
template <class TraceMirror, class Occluded, class Highlight>
void shadeSteps(const Material& m, const std::vector<Light*>& lights, const Vector3& direction, const Vector3& point,
                const Vector3& normal, Vector3& colourOut, TraceMirror&& traceMirror, Occluded&& occluded,
                Highlight&& highlight) {
    colourOut.set(0.0f, 0.0f, 0.0f);
    const Vector3 reflected = mirrorDirection(direction, normal);

    if (m.reflectivity != 0.0f) {
        Vector3 mirrored;
        traceMirror(Ray(point, reflected), mirrored);
        colourOut.addScaled(mirrored, m.reflectivity);
    }
    if (m.reflectivity == 1.0f) return;

    Vector3 local(0.0f, 0.0f, 0.0f);
    local += m.colour.mul(ambientColour);

    for (const Light* light : lights) {
        Vector3 sum(0.0f, 0.0f, 0.0f);
        Vector3 toPoint = point - light->position();
        float k = -dot(toPoint, normal);
        if (k < 0.0f) continue;  // the light is behind the surface

        // A light exactly at the point leaves the reciprocal at 0, so it adds nothing.
        float q = 0.0f;
        const float distance = toPoint.normalize(&q);
        const float q2 = q * q;
        k = k * q;

        if (occluded(Ray(point, toPoint.scaled(-1.0f)), distance)) continue;

        const float f = k * q2;
        sum.addScaled(m.colour, f);

        if (m.specular != 0.0f) {
            const float sigma = -dot(reflected, toPoint);
            if (sigma > 0.0f) {
                const float h = highlight(m.specular, sigma, q2, m.specularExponent);
                sum += Vector3(h, h, h);
            }
        }
        local += sum.mul(light->intensity());
    }
    colourOut.addScaled(local, 1.0f - m.reflectivity);
}
