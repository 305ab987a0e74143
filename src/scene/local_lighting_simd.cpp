#include "scene/local_lighting.h"

#ifdef RT_SIMD_LANES

#include "scene/lanes.h"
#include "scene/light.h"
#include "scene/material.h"
#include "scene/scene.h"
#include "scene/specular_highlight.h"

using namespace lanes;

RT_LANE_CLONES void localLightingSimd(const FrameTracer& tracer, const ShadingJob* const* jobs, Vector3* locals) {
    V4 point, normal, reflected, colour;
    F4 specular, exponent;
    for (int l = 0; l < LIGHTING_LANES; ++l) {
        const ShadingJob& job = *jobs[l];
        point.x[l] = job.point.x, point.y[l] = job.point.y, point.z[l] = job.point.z;
        normal.x[l] = job.normal.x, normal.y[l] = job.normal.y, normal.z[l] = job.normal.z;
        reflected.x[l] = job.reflected.x, reflected.y[l] = job.reflected.y, reflected.z[l] = job.reflected.z;
        colour.x[l] = job.material->colour.x, colour.y[l] = job.material->colour.y;
        colour.z[l] = job.material->colour.z;
        specular[l] = job.material->specular;
        exponent[l] = job.material->specularExponent;
    }
    const F4 zero = splat(0.0f);
    V4 local{zero + colour.x * ambientColour.x, zero + colour.y * ambientColour.y, zero + colour.z * ambientColour.z};

    for (const Light* light : tracer.scene()->lights()) {
        V4 toPoint = point - splat(light->position());
        F4 k = -dot(toPoint, normal);
        M4 open = ~(k < 0.0f);  // the light is not behind the surface
        if (!any(open)) continue;

        // Vector3::normalize: a zero vector keeps its components, has length
        // EPSILON and leaves the reciprocal at 0, so that light adds nothing.
        const F4 length = narrow(sqrt((wide(toPoint.x) * wide(toPoint.x) + wide(toPoint.y) * wide(toPoint.y)) +
                                      wide(toPoint.z) * wide(toPoint.z)));
        const M4 isZero = length == 0.0f;
        const F4 reciprocal = 1.0f / length;
        toPoint = select(isZero, toPoint, {toPoint.x * reciprocal, toPoint.y * reciprocal, toPoint.z * reciprocal});
        const F4 q = isZero ? zero : reciprocal;
        const F4 distance = isZero ? splat(EPSILON) : length;
        const F4 q2 = q * q;
        k = k * q;
        const V4 towardsLight{-1.0f * toPoint.x, -1.0f * toPoint.y, -1.0f * toPoint.z};

        // Every shape, each test apart from the others' answers, so that the
        // tests of different shapes run side by side.
        M4 blocked{};
        for (std::int32_t s = 0; s < tracer.objectCount(); ++s) {
            const ShapeRecord& shape = tracer.record(s);
            switch (shape.kind) {
                case ShapeRecord::Kind::Plane: {
                    const V4 n = splat(shape.vector);
                    const F4 b = dot(point, n) - shape.scalar;
                    const F4 t = b / -dot(n, towardsLight);
                    blocked |= (t >= 0.0f) & (t < distance);
                    break;
                }
                case ShapeRecord::Kind::Sphere: {
                    // sphereDistance; its two early misses become masks.
                    const V4 toCentre = splat(shape.vector) - point;
                    const F4 tca = dot(toCentre, towardsLight);
                    const D4 tcaWide = wide(tca);
                    const F4 d2 = narrow(wide(dot(toCentre, toCentre)) - tcaWide * tcaWide);
                    const M4 reached = ~(tca < 0.0f) & ~(d2 > shape.scalar);
                    if (!any(reached)) break;  // the usual case: no square root needed
                    const F4 t = narrow(tcaWide - sqrt(wide(splat(shape.scalar)) - wide(d2)));
                    blocked |= reached & (t >= 0.0f) & (t < distance);
                    break;
                }
                case ShapeRecord::Kind::Other:
                    for (int l = 0; l < LIGHTING_LANES; ++l) {
                        if (!open[l] || blocked[l]) continue;
                        const Vector3 from(point.x[l], point.y[l], point.z[l]);
                        const Vector3 along(towardsLight.x[l], towardsLight.y[l], towardsLight.z[l]);
                        const float t = shape.shape->intersect(Ray(from, along));
                        if (t >= 0.0f && t < distance[l]) blocked[l] = -1;
                    }
                    break;
            }
        }
        open &= ~blocked;
        if (!any(open)) continue;

        V4 sum = scaledFromZero(colour, k * q2);  // the diffuse term
        const F4 sigma = -dot(reflected, toPoint);
        const M4 highlit = open & (specular != 0.0f) & (sigma > 0.0f);
        if (any(highlit)) {
            F4 h = zero;
            for (int l = 0; l < LIGHTING_LANES; ++l) {
                if (highlit[l]) h[l] = fastSpecularHighlight(specular[l], sigma[l], q2[l], exponent[l]);
            }
            sum = select(highlit, {sum.x + h, sum.y + h, sum.z + h}, sum);
        }
        const V4 lit{local.x + sum.x * light->intensity().x, local.y + sum.y * light->intensity().y,
                     local.z + sum.z * light->intensity().z};
        local = select(open, lit, local);
    }
    for (int l = 0; l < LIGHTING_LANES; ++l) locals[l] = Vector3(local.x[l], local.y[l], local.z[l]);
}

#endif
