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
#include "render/fast/tree_ray.h"
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

// Rays whose lines pass through one point walk the tree together, this many
// at a time: a strip of a column, whose spheres are tested for all of them.
constexpr std::int32_t BUNDLE = 32;

// The last steps of shadeSteps: the mirror term first, then the local colour.
Vector3 blend(const Material& m, const Vector3& mirrored, const Vector3& local) {
    Vector3 colour(0.0f, 0.0f, 0.0f);
    if (m.reflectivity != 0.0f) colour.addScaled(mirrored, m.reflectivity);
    if (m.reflectivity == 1.0f) return colour;
    colour.addScaled(local, 1.0f - m.reflectivity);
    return colour;
}

// Whether no coordinate of a point exceeds the tree's reach, nor is NaN.
bool farthestWithin(const Vector3& p) {
    return std::fabs(p.x) <= 1e18f && std::fabs(p.y) <= 1e18f && std::fabs(p.z) <= 1e18f;
}

// Walks the tree once for a bundle of m rays whose nearest hits so far are
// hits[0 .. m), handing add(chunk, count) the spheres some ray may meet, a
// chunk at a time, less those left out, until no box left can hold a hit
// nearer than `back` beyond every ray's nearest.
template <class Add>
void walkBundle(SphereTree::BundleWalk& walk, const std::uint8_t* leaveOut, double back, const Hit* hits,
                std::int32_t m, Add add) {
    constexpr std::int32_t CHUNK = 64;
    std::int32_t chunk[CHUNK];
    const auto limit = [&] {
        float farthest = 0.0f;
        for (std::int32_t k = 0; k < m; ++k) farthest = std::max(farthest, hits[k].distance);
        return static_cast<double>(farthest) + back;
    };
    for (std::int32_t count; (count = walk.next(chunk, CHUNK, limit())) > 0;) {
        if (leaveOut != nullptr) {
            std::int32_t kept = 0;
            for (std::int32_t c = 0; c < count; ++c) {
                if (leaveOut[chunk[c]] == 0) chunk[kept++] = chunk[c];
            }
            count = kept;
        }
        add(chunk, count);
    }
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
    std::int32_t surface[MAX_BATCH];  // for the first mirror rays, the shape their primary ray met

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
            surface[n] = primaryHits[k].index;
            hits[n] = useHint ? rays[k].hint.mirror : Hit::none();
            ++n;
        }
        if (pass == 0) hinted = n;
    }
    for (std::int32_t level = 1;; ++level) {
        for (std::int32_t r = 0; r < n; ++r) mirrorRays.set(r, jobs[from[r]].point, jobs[from[r]].reflected);
        const FirstBounce bounce{origin, surface};
        addHitsMany(mirrorRays, 0, hinted, hits, Subset::Moving, level == 1 ? &bounce : nullptr);
        addHitsMany(mirrorRays, hinted, n - hinted, hits, Subset::All, level == 1 ? &bounce : nullptr);
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
    const bool originFar = !farthestWithin(origin);
    for (std::int32_t k0 = 0; k0 < n; k0 += BUNDLE) {
        const std::int32_t m = std::min(BUNDLE, n - k0);
        const SphereTree::Bundle bundle =
            SphereTree::bundleOf(m, [&](std::int32_t k) -> const Vector3& { return rays[k0 + k].direction; });
        if (originFar || !SphereTree::BundleWalk::fits(bundle)) {
            for (std::int32_t k = k0; k < k0 + m; ++k) addTreeHit(Ray(origin, rays[k].direction), hits[k], s);
            continue;
        }
        SphereTree::BundleWalk walk(tree_, origin, bundle);
        walkBundle(walk, s.leaveOut, 0.0, hits + k0, m, [&](const std::int32_t* chunk, std::int32_t count) {
            addPrimaryListHits(origin, rays + k0, hits + k0, m, chunk, count);
        });
    }
}

void FrameTracer::addHitsMany(const RayArrays& rays, std::int32_t first, std::int32_t n, Hit* hits, Subset subset,
                              const FirstBounce* bounce) const {
    if (n <= 0) return;
    const Search s = search(subset);
    addListedHits(rays, first, n, hits, s.listed, s.count);
    if (!s.tree) return;
    if (bounce != nullptr) return addBounceTreeHits(rays, first, n, hits, s, *bounce);
    for (std::int32_t r = first; r < first + n; ++r) addTreeHit(rays.ray(r), hits[r], s);
}

// Mirror rays off a plane, of primary rays from one eye, lie on lines
// through the eye's mirror image, or near them: each starts a little short
// of the plane. So the tree is walked once for a group of them from that
// point, as for primary rays, with the cone widened by the lines' greatest
// distance from it, and each ray's origin lying ahead of it on its line.
void FrameTracer::addBounceTreeHits(const RayArrays& rays, std::int32_t first, std::int32_t n, Hit* hits,
                                    const Search& s, const FirstBounce& bounce) const {
    std::int32_t group[BUNDLE];
    std::int32_t m = 0;
    std::int32_t plane = -1;
    const auto flush = [&] {
        if (m == 0) return;
        const ShapeRecord& p = records_[plane];
        const double e[3] = {bounce.eye.x, bounce.eye.y, bounce.eye.z};
        const double normal[3] = {p.vector.x, p.vector.y, p.vector.z};
        const double height = (e[0] * normal[0] + e[1] * normal[1] + e[2] * normal[2]) - p.scalar;
        const double scale = 2.0 * height / (normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        const Vector3 image(static_cast<float>(e[0] - scale * normal[0]), static_cast<float>(e[1] - scale * normal[1]),
                            static_cast<float>(e[2] - scale * normal[2]));
        addApexTreeHits(rays, group, m, hits, s, image);
        m = 0;
    };
    for (std::int32_t r = first; r < first + n; ++r) {
        const std::int32_t from = bounce.surface[r];
        if (records_[from].kind != ShapeRecord::Kind::Plane) {
            addTreeHit(rays.ray(r), hits[r], s);
            continue;
        }
        if (from != plane || m == BUNDLE) flush();
        plane = from;
        group[m++] = r;
    }
    flush();
}

// A ray from P along d meets a sphere only with its centre in a cone about
// its line, from P on. When P lies ahead of the apex A on the line through A
// along d, moved off it by q (perpendicular to d), that part of the cone lies
// within |q| of the cone about that line from A: the walk's figures widened
// by the greatest |q|, worked out in double from float inputs and kept with
// 1e-5 of it and 1e-6 of |P - A|, far above its rounding. From P a box is
// no nearer than from A less |P - A|; grown on every side by at most
// K |P - A| more, it comes nearer by sqrt(3) times that; and the farthest
// distance in it is at most |P - A| more: so a hit's bound from P is at
// least that from A less (1 + sqrt(3) K + (1 - s)) |P - A|, and the limit
// moves back by that much.
void FrameTracer::addApexTreeHits(const RayArrays& rays, const std::int32_t* group, std::int32_t m, Hit* hits,
                                  const Search& s, const Vector3& apex) const {
    RayArrays local;
    Hit localHits[BUNDLE];
    double offset = 0.0;
    double back = 0.0;
    bool ahead = farthestWithin(apex);
    for (std::int32_t k = 0; k < m; ++k) {
        const std::int32_t r = group[k];
        local.set(k, Vector3(rays.ox[r], rays.oy[r], rays.oz[r]), Vector3(rays.dx[r], rays.dy[r], rays.dz[r]));
        localHits[k] = hits[r];
        const double p[3] = {static_cast<double>(rays.ox[r]) - apex.x, static_cast<double>(rays.oy[r]) - apex.y,
                             static_cast<double>(rays.oz[r]) - apex.z};
        const double d[3] = {rays.dx[r], rays.dy[r], rays.dz[r]};
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double along = (p[0] * d[0] + p[1] * d[1] + p[2] * d[2]) / length;
        double q2 = 0.0;
        for (int c = 0; c < 3; ++c) {
            const double q = p[c] - along * d[c] / length;
            q2 += q * q;
        }
        ahead = ahead && along >= 0.0;
        offset = std::max(offset, std::sqrt(q2));
        back = std::max(back, std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]));
    }
    const SphereTree::Bundle bundle = SphereTree::bundleOf(
        m, [&](std::int32_t k) { return Vector3(local.dx[k], local.dy[k], local.dz[k]); });
    if (!ahead || !(offset <= 1e18 && back <= 1e18) || !SphereTree::BundleWalk::fits(bundle)) {
        for (std::int32_t k = 0; k < m; ++k) addTreeHit(rays.ray(group[k]), hits[group[k]], s);
        return;
    }
    SphereTree::BundleWalk walk(tree_, apex, bundle, offset * (1.0 + 1e-5) + 1e-6 * back);
    const double slack = 1.0 + 1.7320509 * tree_ray::wideningOf(bundle.longest) +
                         std::max(0.0, 1.0 - std::sqrt(bundle.shortest));
    walkBundle(walk, s.leaveOut, back * slack * (1.0 + 1e-5), localHits, m,
               [&](const std::int32_t* chunk, std::int32_t count) {
                   addListedHits(local, 0, m, localHits, chunk, count);
               });
    for (std::int32_t k = 0; k < m; ++k) hits[group[k]] = localHits[k];
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
    std::int32_t surface[MAX_BATCH];
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
            surface[m] = primary[k].index;
            from[m++] = k;
        }
        const FirstBounce bounce{origin, surface};
        addHitsMany(mirrorRays, 0, m, mirror, Subset::Fixed, &bounce);
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
