// Tracing many rays at once, as a wavefront. Level by level, the hits of all
// the rays of a level are found (several at a time), each hit becomes a job (its
// shading point, normal and mirror direction), and the mirror rays of the
// reflective ones make the next level. Past the last batched level a mirror
// ray is traced on its own. Then the local lighting of every job is done,
// several at a time, and last each job's colour is blended from its local
// colour and its mirror ray's colour, deepest first.
//
// Why the bits are the same: within one ray's colour every value goes
// through the same operations in the same order as in shadeSteps; only the
// order in which independent values are computed changes. Nothing a step
// reads is written by another ray's steps.
#include <algorithm>
#include <cmath>

#include "render/fast/frame_tracer.h"
#include "render/fast/hit_lanes.h"
#include "render/fast/local_lighting.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "scene/shading_steps.h"

// The ray arrays are filled up to each level's count before they are read;
// GCC cannot see that through the calls.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace {

// Levels of a path traced as a wavefront: the primary hit and three bounces.
constexpr std::int32_t LEVELS = 4;
static_assert(MAX_REFLECTION_DEPTH >= LEVELS, "batched levels are traced without the depth test");

constexpr std::int32_t NO_JOB = -1;     // a primary ray that met nothing
constexpr std::int32_t NO_MIRROR = -1;  // no mirror ray, or one that met nothing: the background
constexpr std::int32_t TRACED = -2;     // a mirror ray past the batched levels, traced on its own

// The last steps of shadeSteps: the mirror term first, then the local colour.
Vector3 blend(const Material& m, const Vector3& mirrored, const Vector3& local) {
    Vector3 colour(0.0f, 0.0f, 0.0f);
    if (m.reflectivity != 0.0f) colour.addScaled(mirrored, m.reflectivity);
    if (m.reflectivity == 1.0f) return colour;
    colour.addScaled(local, 1.0f - m.reflectivity);
    return colour;
}

}  // namespace

void FrameTracer::traceBatch(const Vector3& origin, const HintedDirection* rays, std::int32_t count,
                             Vector3* colours) const {
    count = std::min(count, MAX_BATCH);
    constexpr std::int32_t MAX_JOBS = LEVELS * MAX_BATCH;
    ShadingJob jobs[MAX_JOBS];
    std::int32_t mirrorJob[MAX_JOBS];  // the job its mirror ray met, or NO_MIRROR or TRACED
    Vector3 colourOf[MAX_JOBS];        // first the local colour, then the blended colour
    std::int32_t jobCount = 0;

    // The rays of one level, several at a time where vector code is built.
    Hit hits[MAX_BATCH];
    RayArrays mirrorRays;
    std::int32_t from[MAX_BATCH];  // the job each ray leaves from (for the primary rays, the ray)

    // Written field by field in place: a job copied whole right after being
    // made would wait for its stores to land.
    const auto addJob = [&](const Ray& ray, const Hit& hit) {
        ShadingJob& job = jobs[jobCount];
        job.point = shadingPoint(ray, hit.distance);
        job.normal = records_[hit.index].normalAt(job.point);
        job.reflected = mirrorDirection(ray.direction, job.normal);
        job.material = &objects_[hit.index]->material();
        mirrorJob[jobCount] = NO_MIRROR;
        return jobCount++;
    };

    // Level 0: the primary rays, whose fixed shapes' hits are known.
    Hit primaryHits[MAX_BATCH];
    std::int32_t primaryJob[MAX_BATCH];
    for (std::int32_t k = 0; k < count; ++k) primaryHits[k] = rays[k].hint.primary;
    addPrimaryHits(origin, rays, primaryHits, count, Subset::Moving);
    for (std::int32_t k = 0; k < count; ++k) {
        primaryJob[k] = primaryHits[k].found() ? addJob(Ray(origin, rays[k].direction), primaryHits[k]) : NO_JOB;
    }

    // Level 1: a mirror hint holds only for the fixed hit it was worked out
    // from, and only if one was made. Those rays need only the moving shapes'
    // hits added, the rest all.
    std::int32_t levelStart = 0;
    std::int32_t levelEnd = jobCount;
    std::int32_t n = 0;
    std::int32_t hinted = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::int32_t k = 0; k < count; ++k) {
            const std::int32_t job = primaryJob[k];
            if (job == NO_JOB || jobs[job].material->reflectivity == 0.0f) continue;
            const bool useHint =
                primaryHits[k].index == rays[k].hint.primary.index && rays[k].hint.mirrorMade();
            if (useHint != (pass == 0)) continue;
            from[n] = job;
            hits[n] = useHint ? rays[k].hint.mirror : Hit::none();
            ++n;
        }
        if (pass == 0) hinted = n;
    }
    for (std::int32_t level = 1;; ++level) {
        for (std::int32_t r = 0; r < n; ++r) mirrorRays.set(r, jobs[from[r]].point, jobs[from[r]].reflected);
        addHitsMany(mirrorRays, 0, hinted, hits, Subset::Moving);
        addHitsMany(mirrorRays, hinted, n - hinted, hits, Subset::All);
        for (std::int32_t r = 0; r < n; ++r) {
            if (hits[r].found()) {
                const ShadingJob& job = jobs[from[r]];
                mirrorJob[from[r]] = addJob(Ray(job.point, job.reflected), hits[r]);
            }
        }
        levelStart = levelEnd;
        levelEnd = jobCount;

        // The next level's rays: the mirror rays of this level's reflective hits.
        n = 0;
        hinted = 0;
        for (std::int32_t job = levelStart; job < levelEnd; ++job) {
            if (jobs[job].material->reflectivity == 0.0f) continue;
            if (level + 1 < LEVELS) {
                from[n] = job;
                hits[n++] = Hit::none();
            } else {
                trace(Ray(jobs[job].point, jobs[job].reflected), colourOf[job], level + 1);
                mirrorJob[job] = TRACED;
            }
        }
        if (n == 0) break;
    }

    // The traced colours wait in mirrorColour while colourOf takes the local ones.
    Vector3 mirrorColour[MAX_BATCH];
    std::int32_t tracedCount = 0;
    for (std::int32_t job = levelStart; job < levelEnd; ++job) {
        if (mirrorJob[job] == TRACED) mirrorColour[tracedCount++] = colourOf[job];
    }
    localLighting(*this, jobs, jobCount, colourOf);

    // Deepest first, so a mirror ray's colour is ready when its job is blended.
    for (std::int32_t job = jobCount - 1; job >= 0; --job) {
        Vector3 mirrored = backgroundColour;
        if (mirrorJob[job] >= 0) {
            mirrored = colourOf[mirrorJob[job]];
        } else if (mirrorJob[job] == TRACED) {
            mirrored = mirrorColour[--tracedCount];
        }
        colourOf[job] = blend(*jobs[job].material, mirrored, colourOf[job]);
    }
    for (std::int32_t k = 0; k < count; ++k) {
        colours[k] = primaryJob[k] != NO_JOB ? colourOf[primaryJob[k]] : backgroundColour;
    }
}

FrameTracer::Search FrameTracer::search(Subset subset) const {
    const auto size = [](const std::vector<std::int32_t>& v) { return static_cast<std::int32_t>(v.size()); };
    switch (subset) {
        case Subset::All:
            if (useTree_) return {others_.data(), size(others_), true, nullptr, false};
            return {all_.data(), count_, false, nullptr, false};
        case Subset::Moving:
            // A fixed sphere's hit is in the hint already, and the least pair
            // stays the least when it comes again: the tree may let them in.
            if (treeForMoving()) return {movingOthers_.data(), size(movingOthers_), true, fixedLeftOut(), false};
            return {moving_.data(), movingCount_, false, nullptr, false};
        case Subset::Fixed:
            if (useTree_) {
                return {fixedOthers_.data(), size(fixedOthers_), true, movingSpheres_ > 0 ? movingMask_.data() : nullptr,
                        true};
            }
            return {fixed_.data(), fixedCount_, false, nullptr, false};
    }
    return {nullptr, 0, false, nullptr, false};
}

// The listed shapes go through the vector code; with many spheres, those go
// through the tree, ray by ray.
void FrameTracer::addPrimaryHits(const Vector3& origin, const HintedDirection* rays, Hit* hits, std::int32_t n,
                                 Subset subset) const {
    const Search s = search(subset);
    addPrimaryListHits(origin, rays, hits, n, s.listed, s.count);
    if (s.tree) addPrimaryTreeHits(origin, rays, hits, n, s);
}

void FrameTracer::addPrimaryListHits(const Vector3& origin, const HintedDirection* rays, Hit* hits, std::int32_t n,
                                     const std::int32_t* indices, std::int32_t count) const {
    if (count == 0) return;
#if defined(RT_AVX2_COPIES)
    if (cpuHasAvx2()) return addPrimaryHitsVectorAvx2(*this, origin, rays, hits, n, indices, count);
    addPrimaryHitsVector(*this, origin, rays, hits, n, indices, count);
#elif defined(RT_SIMD_LANES)
    addPrimaryHitsVector(*this, origin, rays, hits, n, indices, count);
#else
    for (std::int32_t k = 0; k < n; ++k) addHits(Ray(origin, rays[k].direction), indices, count, hits[k]);
#endif
}

// Primary rays share their origin, so the tree is walked once for a bundle
// of them, within a cone and a wedge that hold them all (the bundle is a
// strip of a column), the nearer leaves first; their
// spheres go through the vector code for the whole bundle, until no box
// left can hold a hit nearer than every ray's nearest so far.
void FrameTracer::addPrimaryTreeHits(const Vector3& origin, const HintedDirection* rays, Hit* hits, std::int32_t n,
                                     const Search& s) const {
    constexpr std::int32_t BUNDLE = 32;
    constexpr std::int32_t CHUNK = 64;
    const bool originFar = !(std::fabs(origin.x) <= 1e18f && std::fabs(origin.y) <= 1e18f && std::fabs(origin.z) <= 1e18f);
    for (std::int32_t k0 = 0; k0 < n; k0 += BUNDLE) {
        const std::int32_t m = std::min(BUNDLE, n - k0);
        const SphereTree::Bundle bundle =
            SphereTree::bundleOf(m, [&](std::int32_t k) -> const Vector3& { return rays[k0 + k].direction; });
        float limit = 0.0f;
        for (std::int32_t k = k0; k < k0 + m; ++k) limit = std::max(limit, hits[k].distance);
        if (originFar || !SphereTree::BundleWalk::fits(bundle)) {
            for (std::int32_t k = k0; k < k0 + m; ++k) addTreeHit(Ray(origin, rays[k].direction), hits[k], s);
            continue;
        }
        SphereTree::BundleWalk walk(tree_, origin, bundle);
        std::int32_t chunk[CHUNK];
        for (std::int32_t count; (count = walk.next(chunk, CHUNK, limit)) > 0;) {
            if (s.leaveOut != nullptr) {
                std::int32_t kept = 0;
                for (std::int32_t c = 0; c < count; ++c) {
                    if (s.leaveOut[chunk[c]] == 0) chunk[kept++] = chunk[c];
                }
                count = kept;
            }
            addPrimaryListHits(origin, rays + k0, hits + k0, m, chunk, count);
            limit = 0.0f;
            for (std::int32_t k = k0; k < k0 + m; ++k) limit = std::max(limit, hits[k].distance);
        }
    }
}

void FrameTracer::addHitsMany(const RayArrays& rays, std::int32_t first, std::int32_t n, Hit* hits,
                              Subset subset) const {
    if (n <= 0) return;
    const Search s = search(subset);
    addListedHits(rays, first, n, hits, s.listed, s.count);
    if (!s.tree) return;
    for (std::int32_t r = first; r < first + n; ++r) addTreeHit(rays.ray(r), hits[r], s);
}

// A search that is not strict lets the left-out spheres in again for a ray
// the boxes cannot bound, which then scans them all at once.
void FrameTracer::addTreeHit(const Ray& ray, Hit& hit, const Search& s) const {
    const bool all = s.leaveOut != nullptr && !s.strict && !SphereTree::bounds(ray);
    tree_.addNearest(ray, hit, all ? nullptr : s.leaveOut);
}

void FrameTracer::makeHints(const Vector3& origin, HintedDirection* rays, std::int32_t count) const {
    Hit primary[MAX_BATCH];
    Hit mirror[MAX_BATCH];
    std::int32_t from[MAX_BATCH];
    RayArrays mirrorRays;
    for (std::int32_t k0 = 0; k0 < count; k0 += MAX_BATCH) {
        const std::int32_t n = std::min(MAX_BATCH, count - k0);
        HintedDirection* batch = rays + k0;
        for (std::int32_t k = 0; k < n; ++k) primary[k] = Hit::none();
        addPrimaryHits(origin, batch, primary, n, Subset::Fixed);
        std::int32_t m = 0;
        for (std::int32_t k = 0; k < n; ++k) {
            batch[k].hint = {primary[k], Hit::none()};
            if (!primary[k].found()) continue;
            if (objects_[primary[k].index]->material().reflectivity == 0.0f) {
                batch[k].hint.mirror = PathHint::MIRROR_NOT_MADE;
                continue;
            }
            // The mirror ray exactly as shade will cast it from this hit.
            const Ray ray(origin, batch[k].direction);
            const Vector3 point = shadingPoint(ray, primary[k].distance);
            const Vector3 normal = records_[primary[k].index].normalAt(point);
            mirrorRays.set(m, point, mirrorDirection(ray.direction, normal));
            mirror[m] = Hit::none();
            from[m++] = k;
        }
        addHitsMany(mirrorRays, 0, m, mirror, Subset::Fixed);
        for (std::int32_t j = 0; j < m; ++j) batch[from[j]].hint.mirror = mirror[j];
    }
}

void FrameTracer::addListedHits(const RayArrays& rays, std::int32_t first, std::int32_t n, Hit* hits,
                                const std::int32_t* indices, std::int32_t count) const {
    if (count == 0) return;
#ifdef RT_AVX2_COPIES
    if (cpuHasAvx2()) return addHitsVectorAvx2(*this, rays, first, n, hits, indices, count);
#endif
#ifdef RT_SIMD_LANES
    addHitsVector(*this, rays, first, n, hits, indices, count);
#else
    for (std::int32_t r = first; r < first + n; ++r) addHits(rays.ray(r), indices, count, hits[r]);
#endif
}
