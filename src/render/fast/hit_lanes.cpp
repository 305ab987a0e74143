#include "render/fast/hit_lanes.h"

#ifdef RT_SIMD_LANES

#include <algorithm>
#include <cstring>

namespace {

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
        const M index = L::splatIndex(i);
        const M accept = reached & (t >= 0.0f) & ((t < best) | ((t == best) & (index < bestIndex)));
        best = accept ? t : best;
        bestIndex = accept ? index : bestIndex;
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

}  // namespace

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
