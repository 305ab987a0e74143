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
#include "scene/hit_lanes.h"
#include "scene/local_lighting.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "scene/shading_steps.h"

static_assert(MAX_REFLECTION_DEPTH >= 2, "the first two levels of a path are traced without the depth test");

namespace {

// The last steps of shadeSteps: the mirror term first, then the local colour.
Vector3 blend(const Material& m, const Vector3& mirrored, const Vector3& local) {
    Vector3 colour(0.0f, 0.0f, 0.0f);
    if (m.reflectivity != 0.0f) colour.addScaled(mirrored, m.reflectivity);
    if (m.reflectivity == 1.0f) return colour;
    colour.addScaled(local, 1.0f - m.reflectivity);
    return colour;
}

// One ray's path: the jobs of its first and second hit, -1 where there is none.
struct Path {
    std::int32_t firstJob;
    std::int32_t secondJob;
    Vector3 deeper;  // the colour along the second hit's mirror ray
};

}  // namespace

void FrameTracer::traceBatch(const Vector3& origin, const HintedDirection* rays, std::int32_t count,
                             Vector3* colours) const {
    count = std::min(count, MAX_BATCH);
    Path paths[MAX_BATCH];
    ShadingJob jobs[2 * MAX_BATCH];
    Vector3 locals[2 * MAX_BATCH];
    std::int32_t jobCount = 0;
    // Written field by field in place: a job copied whole right after being
    // made would wait for its stores to land.
    const auto addJob = [&](const Ray& ray, const Hit& hit) {
        ShadingJob& job = jobs[jobCount];
        job.point = shadingPoint(ray, hit.distance);
        job.normal = records_[hit.index].normalAt(job.point);
        job.reflected = mirrorDirection(ray.direction, job.normal);
        job.material = &objects_[hit.index]->material();
        return jobCount++;
    };
    const auto mirrorOf = [&](std::int32_t job) { return Ray(jobs[job].point, jobs[job].reflected); };

    // Each stage runs over all the rays before the next, so that the rays'
    // chains of dependent steps overlap instead of following one another.
    Hit hits[MAX_BATCH];
    const Vector3* origins[MAX_BATCH];
    const Vector3* directions[MAX_BATCH];
    Hit* hitOf[MAX_BATCH];
    for (std::int32_t k = 0; k < count; ++k) {
        hits[k] = rays[k].hint.primary;
        origins[k] = &origin;
        directions[k] = &rays[k].direction;
        hitOf[k] = &hits[k];
    }
    addHitsMany(origins, directions, hitOf, count, moving_, movingCount_);
    for (std::int32_t k = 0; k < count; ++k) {
        paths[k].firstJob = hits[k].found() ? addJob(Ray(origin, rays[k].direction), hits[k]) : -1;
        paths[k].secondJob = -1;
    }

    // The mirror rays of the first hits, and whose path each is. A mirror
    // hint holds only for the fixed hit it was worked out from: those rays
    // need only the moving shapes' hits added, the others all shapes'.
    Hit mirrorHits[MAX_BATCH];
    std::int32_t owner[MAX_BATCH];
    std::int32_t mirrorCount = 0;
    std::int32_t hintedCount = 0;
    for (int hinted = 1; hinted >= 0; --hinted) {
        const std::int32_t start = mirrorCount;
        for (std::int32_t k = 0; k < count; ++k) {
            const std::int32_t first = paths[k].firstJob;
            if (first < 0 || jobs[first].material->reflectivity == 0.0f) continue;
            if ((hits[k].index == rays[k].hint.primary.index) != (hinted == 1)) continue;
            mirrorHits[mirrorCount] = hinted ? rays[k].hint.mirror : Hit{};
            origins[mirrorCount] = &jobs[first].point;
            directions[mirrorCount] = &jobs[first].reflected;
            hitOf[mirrorCount] = &mirrorHits[mirrorCount];
            owner[mirrorCount++] = k;
        }
        if (hinted) hintedCount = mirrorCount - start;
    }
    addHitsMany(origins, directions, hitOf, hintedCount, moving_, movingCount_);
    addHitsMany(origins + hintedCount, directions + hintedCount, hitOf + hintedCount, mirrorCount - hintedCount, all_,
                count_);
    for (std::int32_t m = 0; m < mirrorCount; ++m) {
        if (mirrorHits[m].found()) paths[owner[m]].secondJob = addJob(mirrorOf(paths[owner[m]].firstJob), mirrorHits[m]);
    }
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t second = paths[k].secondJob;
        if (second >= 0 && jobs[second].material->reflectivity != 0.0f) trace(mirrorOf(second), paths[k].deeper, 2);
    }

    // Perfect mirrors are lit too and their light is not used.
    localLighting(*this, jobs, jobCount, locals);

    for (std::int32_t k = 0; k < count; ++k) {
        const Path& path = paths[k];
        if (path.firstJob < 0) {
            colours[k] = backgroundColour;
            continue;
        }
        Vector3 mirrored = backgroundColour;
        if (path.secondJob >= 0) {
            mirrored = blend(*jobs[path.secondJob].material, path.deeper, locals[path.secondJob]);
        }
        colours[k] = blend(*jobs[path.firstJob].material, mirrored, locals[path.firstJob]);
    }
}


void FrameTracer::addHitsMany(const Vector3* const* origins, const Vector3* const* directions, Hit* const* hits,
                              std::int32_t n, const std::int32_t* indices, std::int32_t count) const {
    std::int32_t k = 0;
#ifdef RT_SIMD_LANES
    for (; k + 4 <= n; k += 4) addHitsFour(*this, origins + k, directions + k, indices, count, hits + k);
#endif
    for (; k < n; ++k) addHits(Ray(*origins[k], *directions[k]), indices, count, *hits[k]);
}
