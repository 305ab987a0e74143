#include "render/fast/local_lighting.h"

#ifdef RT_SIMD_LANES

#include <algorithm>

#include "render/fast/fast_highlight.h"
#include "scene/light.h"
#include "scene/material.h"
#include "scene/scene.h"

namespace {

template <int N>
RT_LANE_INLINE void lightGroup(const FrameTracer& tracer, const ShadingJob* const* jobs, Vector3* locals) {
    using L = Lanes<N>;
    using F = typename L::F;
    using M = typename L::M;
    using V = typename L::V;
    const Vector3* points[N];
    const Vector3* normals[N];
    const Vector3* reflections[N];
    const Vector3* colours[N];
    float specularOf[N], exponentOf[N];
    for (int l = 0; l < N; ++l) {
        points[l] = &jobs[l]->point;
        normals[l] = &jobs[l]->normal;
        reflections[l] = &jobs[l]->reflected;
        colours[l] = &jobs[l]->material->colour;
        specularOf[l] = jobs[l]->material->specular;
        exponentOf[l] = jobs[l]->material->specularExponent;
    }
    const V point = L::gather(points);
    const V normal = L::gather(normals);
    const V reflected = L::gather(reflections);
    const V colour = L::gather(colours);
    const F specular = L::load(specularOf);
    const F exponent = L::load(exponentOf);
    const F zero = L::splat(0.0f);
    V local{zero + colour.x * ambientColour.x, zero + colour.y * ambientColour.y, zero + colour.z * ambientColour.z};

    for (const Light* light : tracer.scene()->lights()) {
        V toPoint = L::minus(point, L::splat(light->position()));
        F k = -L::dot(toPoint, normal);
        M open = ~(k < 0.0f);  // the light is not behind the surface
        if (!L::any(open)) continue;

        // Vector3::normalize: a zero vector keeps its components, has length
        // EPSILON and leaves the reciprocal at 0, so that light adds nothing.
        const F length = L::narrow(L::sqrt((L::wide(toPoint.x) * L::wide(toPoint.x) + L::wide(toPoint.y) * L::wide(toPoint.y)) +
                                      L::wide(toPoint.z) * L::wide(toPoint.z)));
        const M isZero = length == 0.0f;
        const F reciprocal = 1.0f / length;
        toPoint = L::select(isZero, toPoint, {toPoint.x * reciprocal, toPoint.y * reciprocal, toPoint.z * reciprocal});
        const F q = isZero ? zero : reciprocal;
        const F distance = isZero ? L::splat(EPSILON) : length;
        const F q2 = q * q;
        k = k * q;
        const V towardsLight{-1.0f * toPoint.x, -1.0f * toPoint.y, -1.0f * toPoint.z};

        // Every shape, each test apart from the others' answers, so that the
        // tests of different shapes run side by side.
        M blocked{};
        const std::int32_t* listed = tracer.listedShapes();
        const std::int32_t listedCount = tracer.listedCount();
        for (std::int32_t s = 0; s < listedCount; ++s) {
            const ShapeRecord& shape = tracer.record(listed[s]);
            switch (shape.kind) {
                case ShapeRecord::Kind::Plane: {
                    const F t = L::planeDistance(shape.vector, shape.scalar, point, towardsLight);
                    blocked |= (t >= 0.0f) & (t < distance);
                    break;
                }
                case ShapeRecord::Kind::Sphere: {
                    F t = L::splat(MISS_DISTANCE);
                    const M reached = L::sphereDistance(shape.vector, shape.scalar, point, towardsLight, t);
                    blocked |= reached & (t >= 0.0f) & (t < distance);
                    break;
                }
                case ShapeRecord::Kind::Other:
                    for (int l = 0; l < N; ++l) {
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
        if (tracer.usesTree()) {
            for (int l = 0; l < N; ++l) {
                if (open[l] == 0) continue;
                const Ray ray(Vector3(point.x[l], point.y[l], point.z[l]),
                              Vector3(towardsLight.x[l], towardsLight.y[l], towardsLight.z[l]));
                if (tracer.tree().occludes(ray, distance[l])) open[l] = 0;
            }
        }
        if (!L::any(open)) continue;

        V sum = L::scaledFromZero(colour, k * q2);  // the diffuse term
        const F sigma = -L::dot(reflected, toPoint);
        const M highlit = open & (specular != 0.0f) & (sigma > 0.0f);
        if (L::any(highlit)) {
            F h = zero;
            for (int l = 0; l < N; ++l) {
                if (highlit[l]) h[l] = fastSpecularHighlight(specular[l], sigma[l], q2[l], exponent[l]);
            }
            sum = L::select(highlit, {sum.x + h, sum.y + h, sum.z + h}, sum);
        }
        const V lit{local.x + sum.x * light->intensity().x, local.y + sum.y * light->intensity().y,
                     local.z + sum.z * light->intensity().z};
        local = L::select(open, lit, local);
    }
    for (int l = 0; l < N; ++l) locals[l] = Vector3(local.x[l], local.y[l], local.z[l]);
}

// All the jobs, N at a time; a short last group repeats its last job and
// those results are dropped.
template <int N>
RT_LANE_INLINE void lightAll(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals) {
    for (std::int32_t k = 0; k < count; k += N) {
        const ShadingJob* group[N];
        Vector3 results[N];
        for (int l = 0; l < N; ++l) group[l] = &jobs[std::min(k + l, count - 1)];
        lightGroup<N>(tracer, group, results);
        for (int l = 0; l < N && k + l < count; ++l) locals[k + l] = results[l];
    }
}

}  // namespace

void localLightingVector(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals) {
    lightAll<4>(tracer, jobs, count, locals);
}

#ifdef RT_AVX2_COPIES
RT_AVX2_FUNCTION void localLightingVectorAvx2(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count,
                                              Vector3* locals) {
    lightAll<8>(tracer, jobs, count, locals);
}
#endif

#endif
