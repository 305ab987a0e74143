#include "render/fast/local_lighting.h"

#include <algorithm>

#include "render/fast/fast_highlight.h"
#include "scene/light.h"
#include "scene/material.h"
#include "scene/scene.h"

void localLighting(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals) {
#ifdef RT_AVX2_COPIES
    if (cpuHasAvx2()) return localLightingVectorAvx2(tracer, jobs, count, locals);
#endif
#ifdef RT_SIMD_LANES
    localLightingVector(tracer, jobs, count, locals);
#else
    localLightingPlain(tracer, jobs, count, locals);
#endif
}

namespace {

constexpr int LIGHTING_LANES = 4;

void lightGroup(const FrameTracer& tracer, const ShadingJob* const* jobs, Vector3* locals) {
    for (int l = 0; l < LIGHTING_LANES; ++l) {
        locals[l].set(0.0f, 0.0f, 0.0f);
        locals[l] += jobs[l]->material->colour.mul(ambientColour);
    }
    for (const Light* light : tracer.scene()->lights()) {
        Vector3 toPoint[LIGHTING_LANES];
        float k[LIGHTING_LANES];
        bool open[LIGHTING_LANES];
        bool anyOpen = false;
        for (int l = 0; l < LIGHTING_LANES; ++l) {
            toPoint[l] = jobs[l]->point - light->position();
            k[l] = -dot(toPoint[l], jobs[l]->normal);
            open[l] = !(k[l] < 0.0f);  // the light is not behind the surface
            anyOpen = anyOpen || open[l];
        }
        if (!anyOpen) continue;

        float distance[LIGHTING_LANES];
        float q2[LIGHTING_LANES];
        Vector3 towardsLight[LIGHTING_LANES];
        for (int l = 0; l < LIGHTING_LANES; ++l) {
            float q = 0.0f;  // a light exactly at the point keeps it 0, so it adds nothing
            distance[l] = toPoint[l].normalize(&q);
            q2[l] = q * q;
            k[l] = k[l] * q;
            towardsLight[l] = toPoint[l].scaled(-1.0f);
        }
        // The kind is looked at once per shape, not once per lane.
        const auto shadow = [&](auto&& distanceAlong) {
            for (int l = 0; l < LIGHTING_LANES; ++l) {
                if (!open[l]) continue;
                const float t = distanceAlong(Ray(jobs[l]->point, towardsLight[l]));
                if (t >= 0.0f && t < distance[l]) open[l] = false;
            }
        };
        const std::int32_t* listed = tracer.listedShapes();
        const std::int32_t listedCount = tracer.listedCount();
        for (std::int32_t s = 0; s < listedCount; ++s) {
            const ShapeRecord& shape = tracer.record(listed[s]);
            switch (shape.kind) {
                case ShapeRecord::Kind::Plane:
                    shadow([&](const Ray& ray) { return shape.planeDistanceOrMiss(ray); });
                    break;
                case ShapeRecord::Kind::Sphere:
                    shadow([&](const Ray& ray) { return sphereDistance(shape.vector, shape.scalar, ray); });
                    break;
                case ShapeRecord::Kind::Other:
                    shadow([&](const Ray& ray) { return shape.shape->intersect(ray); });
                    break;
            }
        }
        if (tracer.usesTree()) {
            for (int l = 0; l < LIGHTING_LANES; ++l) {
                if (open[l] && tracer.tree().occludes(Ray(jobs[l]->point, towardsLight[l]), distance[l])) open[l] = false;
            }
        }
        for (int l = 0; l < LIGHTING_LANES; ++l) {
            if (!open[l]) continue;
            const Material& m = *jobs[l]->material;
            Vector3 sum(0.0f, 0.0f, 0.0f);
            const float f = k[l] * q2[l];
            sum.addScaled(m.colour, f);
            if (m.specular != 0.0f) {
                const float sigma = -dot(jobs[l]->reflected, toPoint[l]);
                if (sigma > 0.0f) {
                    const float h = fastSpecularHighlight(m.specular, sigma, q2[l], m.specularExponent);
                    sum += Vector3(h, h, h);
                }
            }
            locals[l] += sum.mul(light->intensity());
        }
    }
}

}  // namespace

void localLightingPlain(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals) {
    for (std::int32_t k = 0; k < count; k += LIGHTING_LANES) {
        // A short last group repeats its last job; those results are dropped.
        const ShadingJob* group[LIGHTING_LANES];
        Vector3 results[LIGHTING_LANES];
        for (int l = 0; l < LIGHTING_LANES; ++l) group[l] = &jobs[std::min(k + l, count - 1)];
        lightGroup(tracer, group, results);
        for (int l = 0; l < LIGHTING_LANES && k + l < count; ++l) locals[k + l] = results[l];
    }
}
