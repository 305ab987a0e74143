#include "render/fast/hit_lanes.h"

#ifdef RT_SIMD_LANES

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/fast/ray_bundle.h"

namespace {

// keepNearer lane by lane: the least (distance, index) pair of the
// accepted hits, among the lanes the shape's test reached.
template <int N>
RT_LANE_INLINE void keepNearest(typename Lanes<N>::M reached, typename Lanes<N>::F t, std::int32_t i,
                                typename Lanes<N>::F& best, typename Lanes<N>::M& bestIndex) {
    const typename Lanes<N>::M index = Lanes<N>::splatIndex(i);
    const typename Lanes<N>::M accept = reached & (t >= 0.0f) & ((t < best) | ((t == best) & (index < bestIndex)));
    best = accept ? t : best;
    bestIndex = accept ? index : bestIndex;
}

// Lane l of N from items[l]; past `valid` the last valid item repeats.
template <int N, typename T>
RT_LANE_INLINE void pointLanes(T* items, std::int32_t valid, T* (&lanes)[N]) {
    if (valid == N) {
        for (int l = 0; l < N; ++l) lanes[l] = &items[l];
    } else {
        for (int l = 0; l < N; ++l) lanes[l] = &items[std::min<std::int32_t>(l, valid - 1)];
    }
}

// The hits so far of hits[0 .. valid) as lanes; past them the last repeats.
template <int N>
RT_LANE_INLINE void loadHits(const Hit* hits, std::int32_t valid, typename Lanes<N>::F& best,
                             typename Lanes<N>::M& bestIndex) {
    const Hit* lanes[N];
    pointLanes<N>(hits, valid, lanes);
    float distances[N];
    std::int32_t indexes[N];
    for (int l = 0; l < N; ++l) {
        distances[l] = lanes[l]->distance;
        indexes[l] = lanes[l]->index;
    }
    best = Lanes<N>::load(distances);
    bestIndex = Lanes<N>::loadIndexes(indexes);
}

// Each shape's test is its scalar function's steps lane by lane, into
// hits[0 .. valid).
template <int N>
RT_LANE_INLINE void hitGroup(const FrameTracer& tracer, const typename Lanes<N>::V& origin,
                             const typename Lanes<N>::V& direction, const std::int32_t* indices, std::int32_t count,
                             Hit* hits, std::int32_t valid) {
    using L = Lanes<N>;
    using F = typename L::F;
    using M = typename L::M;
    F best;
    M bestIndex;
    loadHits<N>(hits, valid, best, bestIndex);
    const F slack = L::screenSlack(direction);
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t i = indices[k];
        const ShapeRecord& shape = tracer.record(i);
        F t = L::splat(MISS_DISTANCE);
        M reached = ~M{};
        switch (shape.kind) {
            case ShapeRecord::Kind::Plane:
                t = L::planeDistance(shape.vector, shape.scalar, origin, direction);
                break;
            case ShapeRecord::Kind::Sphere:
                reached = L::sphereDistanceScreened(shape.vector, shape.scalar, origin, direction, slack, t);
                if (!L::any(reached)) continue;
                break;
            case ShapeRecord::Kind::Other:
                for (int l = 0; l < N; ++l) {
                    t[l] = shape.shape->intersect(Ray(Vector3(origin.x[l], origin.y[l], origin.z[l]),
                                                      Vector3(direction.x[l], direction.y[l], direction.z[l])));
                }
                break;
        }
        keepNearest<N>(reached, t, i, best, bestIndex);
    }
    for (int l = 0; l < valid; ++l) hits[l] = Hit{best[l], bestIndex[l]};
}

// Rays are taken a bundle at a time, and the spheres its cone passes clear
// of are left out of its rays' tests. The shapes go through in runs, each in
// insertion order.
constexpr std::int32_t BUNDLE = 32;
// Primary rays share their origin, so their cones stay narrow for longer.
constexpr std::int32_t PRIMARY_BUNDLE = 64;
constexpr std::int32_t SHAPE_RUN = 64;

// The cone about the bundle's middle ray that holds all its rays: from within
// a spread of the apex (null origins: all from the apex) along directions
// near the middle one. A ray with a NaN in it may be passed over: it meets nothing.
template <int N>
RT_LANE_INLINE RayBundle bundleOf(const Vector3& apex, const typename Lanes<N>::V* origins,
                                  const typename Lanes<N>::V* directions, std::int32_t groups, const Vector3& middle) {
    using L = Lanes<N>;
    using F = typename L::F;
    const double length = std::sqrt(static_cast<double>(middle.x) * middle.x +
                                    static_cast<double>(middle.y) * middle.y +
                                    static_cast<double>(middle.z) * middle.z);
    const Vector3 axis(static_cast<float>(middle.x / length), static_cast<float>(middle.y / length),
                       static_cast<float>(middle.z / length));
    F least = L::splat(INFINITY);
    F shortest = L::splat(INFINITY);
    F longest = L::splat(0.0f);
    F farthest = L::splat(0.0f);
    for (std::int32_t g = 0; g < groups; ++g) {
        const typename L::V& d = directions[g];
        const F along = axis.x * d.x + axis.y * d.y + axis.z * d.z;
        const F lengthSquared = d.x * d.x + d.y * d.y + d.z * d.z;
        least = along < least ? along : least;
        shortest = lengthSquared < shortest ? lengthSquared : shortest;
        longest = lengthSquared > longest ? lengthSquared : longest;
        if (origins != nullptr) {
            // Each difference of two floats is rounded once, so within a
            // relative 2^-24 of the true one.
            const typename L::V away = L::minus(origins[g], L::splat(apex));
            const F squared = away.x * away.x + away.y * away.y + away.z * away.z;
            farthest = squared > farthest ? squared : farthest;
        }
    }
    for (int l = 1; l < N; ++l) {
        least[0] = least[l] < least[0] ? least[l] : least[0];
        shortest[0] = shortest[l] < shortest[0] ? shortest[l] : shortest[0];
        longest[0] = longest[l] > longest[0] ? longest[l] : longest[0];
        farthest[0] = farthest[l] > farthest[0] ? farthest[l] : farthest[0];
    }
    const double apexWide[3] = {apex.x, apex.y, apex.z};
    const double axisWide[3] = {axis.x, axis.y, axis.z};
    const double spread = farthest[0] == 0.0f ? 0.0 : std::sqrt(static_cast<double>(farthest[0])) * (1.0 + 1e-5);
    return makeRayBundle(apexWide, spread, axisWide, least[0], shortest[0], longest[0]);
}

// Lanes from values[0 .. valid); past them the last valid value repeats.
template <int N>
RT_LANE_INLINE typename Lanes<N>::F loadRun(const float* values, std::int32_t valid) {
    typename Lanes<N>::F lanes;
    if (valid == N) {
        std::memcpy(&lanes, values, sizeof lanes);
    } else {
        for (int l = 0; l < N; ++l) lanes[l] = values[std::min<std::int32_t>(l, valid - 1)];
    }
    return lanes;
}

// Rays first to first + n - 1, a bundle at a time, N to a group; a short
// last group repeats its last ray, whose hit is dropped.
template <int N>
RT_LANE_INLINE void hitAll(const FrameTracer& tracer, const FrameTracer::RayArrays& rays, std::int32_t first,
                           std::int32_t n, Hit* hits, const std::int32_t* indices, std::int32_t count) {
    using L = Lanes<N>;
    constexpr std::int32_t GROUPS = BUNDLE / N;
    const std::int32_t end = first + n;
    for (std::int32_t s0 = 0; s0 < count; s0 += SHAPE_RUN) {
        const std::int32_t run = std::min(SHAPE_RUN, count - s0);
        for (std::int32_t k0 = first; k0 < end; k0 += BUNDLE) {
            const std::int32_t m = std::min(BUNDLE, end - k0);
            const std::int32_t groups = (m + N - 1) / N;
            typename L::V from[GROUPS];
            typename L::V along[GROUPS];
            for (std::int32_t g = 0; g < groups; ++g) {
                const std::int32_t r = k0 + g * N;
                const std::int32_t valid = std::min(N, m - g * N);
                from[g] = {loadRun<N>(rays.ox + r, valid), loadRun<N>(rays.oy + r, valid),
                           loadRun<N>(rays.oz + r, valid)};
                along[g] = {loadRun<N>(rays.dx + r, valid), loadRun<N>(rays.dy + r, valid),
                            loadRun<N>(rays.dz + r, valid)};
            }
            const std::int32_t middle = k0 + m / 2;
            const RayBundle bundle =
                bundleOf<N>(Vector3(rays.ox[middle], rays.oy[middle], rays.oz[middle]), from, along, groups,
                            Vector3(rays.dx[middle], rays.dy[middle], rays.dz[middle]));
            std::int32_t kept[SHAPE_RUN];
            std::int32_t keptCount = 0;
            for (std::int32_t s = s0; s < s0 + run; ++s) {
                const ShapeRecord& shape = tracer.record(indices[s]);
                if (shape.kind != ShapeRecord::Kind::Sphere || !bundle.missesSphere(shape.vector, shape.scalar)) {
                    kept[keptCount++] = indices[s];
                }
            }
            if (keptCount == 0) continue;
            for (std::int32_t g = 0; g < groups; ++g) {
                hitGroup<N>(tracer, from[g], along[g], kept, keptCount, hits + k0 + g * N, std::min(N, m - g * N));
            }
        }
    }
}

// hitGroup for rays that share one origin, into hits[0 .. valid): what
// depends only on the origin and the shape (a sphere's offset from the origin
// and its square, a plane's signed offset) is worked out once per shape, with
// the very operations the lane by lane test does, so the same bits.
template <int N>
RT_LANE_INLINE void primaryGroup(const FrameTracer& tracer, const Vector3& origin,
                                 const typename Lanes<N>::V& direction, const std::int32_t* indices,
                                 std::int32_t count, Hit* hits, std::int32_t valid) {
    using L = Lanes<N>;
    using F = typename L::F;
    using M = typename L::M;
    using D = typename L::D;
    F best;
    M bestIndex;
    loadHits<N>(hits, valid, best, bestIndex);
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t i = indices[k];
        const ShapeRecord& shape = tracer.record(i);
        F t = L::splat(MISS_DISTANCE);
        M reached = ~M{};
        switch (shape.kind) {
            case ShapeRecord::Kind::Plane: {
                const Vector3& n = shape.vector;
                const float b = dot(origin, n) - shape.scalar;
                const F towards = L::narrow((n.x * L::wide(direction.x) + n.y * L::wide(direction.y)) +
                                            n.z * L::wide(direction.z));
                t = b / -towards;
                break;
            }
            case ShapeRecord::Kind::Sphere: {
                const Vector3 toCentre = shape.vector - origin;
                const double lengthSquared = toCentre.lengthSquared();
                const F tca = L::narrow((toCentre.x * L::wide(direction.x) + toCentre.y * L::wide(direction.y)) +
                                        toCentre.z * L::wide(direction.z));
                const D tcaWide = L::wide(tca);
                const F d2 = L::narrow(lengthSquared - tcaWide * tcaWide);
                reached = ~(tca < 0.0f) & ~(d2 > shape.scalar);
                if (!L::any(reached)) continue;
                t = L::narrow(tcaWide - L::sqrt(static_cast<double>(shape.scalar) - L::wide(d2)));
                break;
            }
            case ShapeRecord::Kind::Other:
                for (int l = 0; l < N; ++l) {
                    t[l] = shape.shape->intersect(Ray(origin, Vector3(direction.x[l], direction.y[l], direction.z[l])));
                }
                break;
        }
        keepNearest<N>(reached, t, i, best, bestIndex);
    }
    for (int l = 0; l < valid; ++l) hits[l] = Hit{best[l], bestIndex[l]};
}

template <int N>
RT_LANE_INLINE void primaryAll(const FrameTracer& tracer, const Vector3& origin, const HintedDirection* rays,
                               Hit* hits, std::int32_t n, const std::int32_t* indices, std::int32_t count) {
    using L = Lanes<N>;
    constexpr std::int32_t GROUPS = PRIMARY_BUNDLE / N;
    const double apex[3] = {origin.x, origin.y, origin.z};
    for (std::int32_t s0 = 0; s0 < count; s0 += SHAPE_RUN) {
        // What depends on a sphere and the origin alone, once for all bundles.
        const std::int32_t run = std::min(SHAPE_RUN, count - s0);
        RayBundle::Sight sights[SHAPE_RUN];
        bool sphere[SHAPE_RUN];
        for (std::int32_t s = 0; s < run; ++s) {
            const ShapeRecord& shape = tracer.record(indices[s0 + s]);
            sphere[s] = shape.kind == ShapeRecord::Kind::Sphere;
            if (sphere[s]) sights[s] = RayBundle::sight(apex, 0.0, shape.vector, shape.scalar);
        }
        for (std::int32_t k0 = 0; k0 < n; k0 += PRIMARY_BUNDLE) {
            const std::int32_t m = std::min(PRIMARY_BUNDLE, n - k0);
            const std::int32_t groups = (m + N - 1) / N;
            typename L::V directions[GROUPS];
            for (std::int32_t g = 0; g < groups; ++g) {
                const HintedDirection* ray[N];
                pointLanes<N>(rays + k0 + g * N, std::min(N, m - g * N), ray);
                const Vector3* d[N];
                for (int l = 0; l < N; ++l) d[l] = &ray[l]->direction;
                directions[g] = L::gather(d);
            }
            const RayBundle bundle = bundleOf<N>(origin, nullptr, directions, groups, rays[k0 + m / 2].direction);
            std::int32_t kept[SHAPE_RUN];
            std::int32_t keptCount = 0;
            for (std::int32_t s = 0; s < run; ++s) {
                if (!sphere[s] || !bundle.misses(sights[s])) kept[keptCount++] = indices[s0 + s];
            }
            if (keptCount == 0) continue;
            for (std::int32_t g = 0; g < groups; ++g) {
                primaryGroup<N>(tracer, origin, directions[g], kept, keptCount, hits + k0 + g * N,
                                std::min(N, m - g * N));
            }
        }
    }
}

}  // namespace

void addPrimaryHitsVector(const FrameTracer& tracer, const Vector3& origin, const HintedDirection* rays, Hit* hits,
                          std::int32_t n, const std::int32_t* indices, std::int32_t count) {
    primaryAll<4>(tracer, origin, rays, hits, n, indices, count);
}

#ifdef RT_AVX2_COPIES
RT_AVX2_FUNCTION void addPrimaryHitsVectorAvx2(const FrameTracer& tracer, const Vector3& origin,
                                               const HintedDirection* rays, Hit* hits, std::int32_t n,
                                               const std::int32_t* indices, std::int32_t count) {
    primaryAll<8>(tracer, origin, rays, hits, n, indices, count);
}
#endif

void addHitsVector(const FrameTracer& tracer, const FrameTracer::RayArrays& rays, std::int32_t first, std::int32_t n,
                   Hit* hits, const std::int32_t* indices, std::int32_t count) {
    hitAll<4>(tracer, rays, first, n, hits, indices, count);
}

#ifdef RT_AVX2_COPIES
RT_AVX2_FUNCTION void addHitsVectorAvx2(const FrameTracer& tracer, const FrameTracer::RayArrays& rays,
                                        std::int32_t first, std::int32_t n, Hit* hits, const std::int32_t* indices,
                                        std::int32_t count) {
    hitAll<8>(tracer, rays, first, n, hits, indices, count);
}
#endif

#endif
