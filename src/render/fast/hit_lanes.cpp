#include "render/fast/hit_lanes.h"

#ifdef RT_SIMD_LANES

#include <algorithm>
#include <cstring>

namespace {

// FrameTracer::consider lane by lane: the least (distance, index) pair of the
// accepted hits, among the lanes the shape's test reached.
template <int N>
RT_LANE_INLINE void keepNearest(typename Lanes<N>::M reached, typename Lanes<N>::F t, std::int32_t i,
                                typename Lanes<N>::F& best, typename Lanes<N>::M& bestIndex) {
    const typename Lanes<N>::M index = Lanes<N>::splatIndex(i);
    const typename Lanes<N>::M accept = reached & (t >= 0.0f) & ((t < best) | ((t == best) & (index < bestIndex)));
    best = accept ? t : best;
    bestIndex = accept ? index : bestIndex;
}

// Each shape's test is its scalar function's steps lane by lane.
template <int N>
RT_LANE_INLINE void hitGroup(const FrameTracer& tracer, const Vector3* const* origins, const Vector3* const* directions,
                             const std::int32_t* indices, std::int32_t count, Hit* const* hits) {
    using L = Lanes<N>;
    using F = typename L::F;
    using M = typename L::M;
    using V = typename L::V;
    const V origin = L::gather(origins);
    const V direction = L::gather(directions);
    float distances[N];
    std::int32_t indexes[N];
    for (int l = 0; l < N; ++l) distances[l] = hits[l]->distance, indexes[l] = hits[l]->index;
    F best = L::load(distances);
    M bestIndex = L::loadIndexes(indexes);
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
                reached = L::sphereDistance(shape.vector, shape.scalar, origin, direction, t);
                if (!L::any(reached)) continue;
                break;
            case ShapeRecord::Kind::Other:
                for (int l = 0; l < N; ++l) t[l] = shape.shape->intersect(Ray(*origins[l], *directions[l]));
                break;
        }
        keepNearest<N>(reached, t, i, best, bestIndex);
    }
    for (int l = 0; l < N; ++l) *hits[l] = Hit{best[l], bestIndex[l]};
}

// All n rays, N at a time; a short last group repeats its last ray into a
// spare hit, which is dropped.
template <int N>
RT_LANE_INLINE void hitAll(const FrameTracer& tracer, const Vector3* const* origins, const Vector3* const* directions,
                           Hit* const* hits, std::int32_t n, const std::int32_t* indices, std::int32_t count) {
    std::int32_t k = 0;
    for (; k + N <= n; k += N) hitGroup<N>(tracer, origins + k, directions + k, indices, count, hits + k);
    if (k == n) return;
    const Vector3* lastOrigins[N];
    const Vector3* lastDirections[N];
    Hit* lastHits[N];
    Hit spare;
    for (int l = 0; l < N; ++l) {
        const std::int32_t r = std::min(k + l, n - 1);
        lastOrigins[l] = origins[r];
        lastDirections[l] = directions[r];
        lastHits[l] = k + l < n ? hits[r] : &spare;
    }
    spare = *hits[n - 1];
    hitGroup<N>(tracer, lastOrigins, lastDirections, indices, count, lastHits);
}

// hitGroup for rays that share one origin: what depends only on the origin
// and the shape (a sphere's offset from the origin and its square, a plane's
// signed offset) is worked out once per shape, with the very operations the
// lane by lane test does, so the same bits.
template <int N>
RT_LANE_INLINE void primaryGroup(const FrameTracer& tracer, const Vector3& origin, const HintedDirection* rays,
                                 const std::int32_t* indices, std::int32_t count, Hit* const* hits) {
    using L = Lanes<N>;
    using F = typename L::F;
    using M = typename L::M;
    using D = typename L::D;
    const Vector3* directions[N];
    float distances[N];
    std::int32_t indexes[N];
    for (int l = 0; l < N; ++l) {
        directions[l] = &rays[l].direction;
        distances[l] = hits[l]->distance;
        indexes[l] = hits[l]->index;
    }
    const typename L::V direction = L::gather(directions);
    F best = L::load(distances);
    M bestIndex = L::loadIndexes(indexes);
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
                for (int l = 0; l < N; ++l) t[l] = shape.shape->intersect(Ray(origin, rays[l].direction));
                break;
        }
        keepNearest<N>(reached, t, i, best, bestIndex);
    }
    for (int l = 0; l < N; ++l) *hits[l] = Hit{best[l], bestIndex[l]};
}

template <int N>
RT_LANE_INLINE void primaryAll(const FrameTracer& tracer, const Vector3& origin, const HintedDirection* rays,
                               Hit* hits, std::int32_t n, const std::int32_t* indices, std::int32_t count) {
    Hit* group[N];
    std::int32_t k = 0;
    for (; k + N <= n; k += N) {
        for (int l = 0; l < N; ++l) group[l] = &hits[k + l];
        primaryGroup<N>(tracer, origin, rays + k, indices, count, group);
    }
    if (k == n) return;
    HintedDirection last[N];
    Hit spare = hits[n - 1];
    for (int l = 0; l < N; ++l) {
        last[l] = rays[std::min(k + l, n - 1)];
        group[l] = k + l < n ? &hits[k + l] : &spare;
    }
    primaryGroup<N>(tracer, origin, last, indices, count, group);
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

void addHitsVector(const FrameTracer& tracer, const Vector3* const* origins, const Vector3* const* directions,
                   Hit* const* hits, std::int32_t n, const std::int32_t* indices, std::int32_t count) {
    hitAll<4>(tracer, origins, directions, hits, n, indices, count);
}

#ifdef RT_AVX2_COPIES
RT_AVX2_FUNCTION void addHitsVectorAvx2(const FrameTracer& tracer, const Vector3* const* origins,
                                        const Vector3* const* directions, Hit* const* hits, std::int32_t n,
                                        const std::int32_t* indices, std::int32_t count) {
    hitAll<8>(tracer, origins, directions, hits, n, indices, count);
}
#endif

#endif
