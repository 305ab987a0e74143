// Tracing many rays at once. One scalar pass follows each ray's path (the
// nearest hits of the ray and of its first mirror ray, and the colour of
// anything deeper through trace); the lighting of all the points met is then
// done four at a time; a last pass blends each path bottom-up.
//
// Why the bits are the same: within one ray's colour every value goes
// through the same operations in the same order as in shadeSteps; only the
// order in which independent values are computed changes. Nothing a step
// reads is written by another ray's steps.
#include <algorithm>

#include "scene/frame_tracer.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "scene/shading_steps.h"
#include "scene/specular_highlight.h"

static_assert(MAX_REFLECTION_DEPTH >= 2, "the first two levels of a path are traced without the depth test");

namespace {

constexpr int LANES = 4;

// The last steps of shadeSteps: the mirror term first, then the local colour.
Vector3 blend(const Material& m, const Vector3& mirrored, const Vector3& local) {
    Vector3 colour(0.0f, 0.0f, 0.0f);
    if (m.reflectivity != 0.0f) colour.addScaled(mirrored, m.reflectivity);
    if (m.reflectivity == 1.0f) return colour;
    colour.addScaled(local, 1.0f - m.reflectivity);
    return colour;
}

// One ray's path: its first two hits, and their indices into the jobs.
struct Path {
    const Material* first = nullptr;   // null: the ray met nothing
    const Material* second = nullptr;  // null: no mirror ray, or it met nothing
    std::int32_t firstJob = -1;
    std::int32_t secondJob = -1;
    Vector3 deeper{0.0f, 0.0f, 0.0f};  // the colour along the second hit's mirror ray
};

}  // namespace

void FrameTracer::traceBatch(const Vector3& origin, const HintedDirection* rays, std::int32_t count,
                             Vector3* colours) const {
    count = std::min(count, MAX_BATCH);
    Path paths[MAX_BATCH];
    ShadingJob jobs[2 * MAX_BATCH];
    Vector3 locals[2 * MAX_BATCH];
    std::int32_t jobCount = 0;

    const auto surface = [&](const Ray& ray, const Hit& hit) -> ShadingJob {
        const Vector3 point = shadingPoint(ray, hit.distance);
        const Vector3 normal = records_[hit.index].normalAt(point);
        return {point, normal, mirrorDirection(ray.direction, normal), &objects_[hit.index]->material()};
    };

    for (std::int32_t k = 0; k < count; ++k) {
        const PathHint& hint = rays[k].hint;
        const Ray ray(origin, rays[k].direction);
        Hit hit = hint.primary;
        addHits(ray, moving_, movingCount_, hit);
        if (!hit.found()) continue;
        const bool fixedHitWins = hit.index == hint.primary.index;

        Path& path = paths[k];
        const ShadingJob first = surface(ray, hit);
        path.first = first.material;
        if (first.material->reflectivity != 1.0f) {
            path.firstJob = jobCount;
            jobs[jobCount++] = first;
        }
        if (first.material->reflectivity == 0.0f) continue;

        const Ray mirror(first.point, first.reflected);
        Hit mirrorHit = fixedHitWins ? hint.mirror : Hit{};
        if (fixedHitWins) {
            addHits(mirror, moving_, movingCount_, mirrorHit);
        } else {
            addHits(mirror, all_, count_, mirrorHit);
        }
        if (!mirrorHit.found()) continue;
        const ShadingJob second = surface(mirror, mirrorHit);
        path.second = second.material;
        if (second.material->reflectivity != 1.0f) {
            path.secondJob = jobCount;
            jobs[jobCount++] = second;
        }
        if (second.material->reflectivity != 0.0f) trace(Ray(second.point, second.reflected), path.deeper, 2);
    }

    lightJobs(jobs, jobCount, locals);

    for (std::int32_t k = 0; k < count; ++k) {
        const Path& path = paths[k];
        if (path.first == nullptr) {
            colours[k] = backgroundColour;
            continue;
        }
        Vector3 mirrored = backgroundColour;
        if (path.second != nullptr) {
            mirrored = blend(*path.second, path.deeper, path.secondJob >= 0 ? locals[path.secondJob] : Vector3());
        }
        colours[k] = blend(*path.first, mirrored, path.firstJob >= 0 ? locals[path.firstJob] : Vector3());
    }
}

void FrameTracer::lightJobs(const ShadingJob* jobs, std::int32_t count, Vector3* locals) const {
    for (std::int32_t k = 0; k < count; k += LANES) {
        // A short last group repeats its last job; those results are dropped.
        const ShadingJob* four[LANES];
        Vector3 results[LANES];
        for (int l = 0; l < LANES; ++l) four[l] = &jobs[std::min(k + l, count - 1)];
        lightFour(four, results);
        for (int l = 0; l < LANES && k + l < count; ++l) locals[k + l] = results[l];
    }
}

// The local part of shadeSteps (ambient, then each light's diffuse and
// specular term unless it faces away or is shadowed) for four points, each
// step done for all four before the next so that their long chains of
// square root, division and power overlap. A shadow ray is tested against
// every shape even after one blocks it: the answer is the same.
void FrameTracer::lightFour(const ShadingJob* const* jobs, Vector3* locals) const {
    for (int l = 0; l < LANES; ++l) {
        locals[l].set(0.0f, 0.0f, 0.0f);
        locals[l] += jobs[l]->material->colour.mul(ambientColour);
    }
    for (const Light* light : scene_->lights()) {
        Vector3 toPoint[LANES];
        float k[LANES];
        bool open[LANES];
        bool anyOpen = false;
        for (int l = 0; l < LANES; ++l) {
            toPoint[l] = jobs[l]->point - light->position();
            k[l] = -dot(toPoint[l], jobs[l]->normal);
            open[l] = !(k[l] < 0.0f);  // the light is not behind the surface
            anyOpen = anyOpen || open[l];
        }
        if (!anyOpen) continue;

        float distance[LANES];
        float q2[LANES];
        Vector3 towardsLight[LANES];
        for (int l = 0; l < LANES; ++l) {
            float q = 0.0f;  // a light exactly at the point keeps it 0, so it adds nothing
            distance[l] = toPoint[l].normalize(&q);
            q2[l] = q * q;
            k[l] = k[l] * q;
            towardsLight[l] = toPoint[l].scaled(-1.0f);
        }
        // The kind is looked at once per shape, not once per lane.
        const auto shadow = [&](auto&& distanceAlong) {
            for (int l = 0; l < LANES; ++l) {
                if (!open[l]) continue;
                const float t = distanceAlong(Ray(jobs[l]->point, towardsLight[l]));
                if (t >= 0.0f && t < distance[l]) open[l] = false;
            }
        };
        for (std::int32_t s = 0; s < count_; ++s) {
            const ShapeRecord& shape = records_[s];
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
        for (int l = 0; l < LANES; ++l) {
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
