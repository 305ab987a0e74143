// The sphere scan's loops over N lanes: built into the scan's vector code
// for each CPU, and into the tree walks, which run them in their leaves
// without a call.
#pragma once

#include <algorithm>
#include <cstdint>

#include "render/fast/hit.h"
#include "render/fast/lanes.h"
#include "render/fast/sphere_scan.h"

#ifdef RT_SIMD_LANES
namespace scan_lanes {

// Each lane's least (distance, index) pair so far, from the hit's.
template <int N>
struct NearestLanes {
    using L = Lanes<N>;
    typename L::F best;
    typename L::M index;
    typename L::M found{};

    RT_LANE_INLINE explicit NearestLanes(const Hit& hit) : best(L::splat(hit.distance)), index(L::splatIndex(hit.index)) {}

    // Keeps the accepted distances of the reached lanes; whether there were any.
    RT_LANE_INLINE bool keep(typename L::M reached, typename L::F t, typename L::M candidate) {
        const typename L::M accept = reached & (t >= 0.0f) & ((t < best) | ((t == best) & (candidate < index)));
        if (!L::any(accept)) return false;
        best = accept ? t : best;
        index = accept ? candidate : index;
        found |= accept;
        return true;
    }

    // Most leaves of a tree hold nothing nearer: then no lane need be looked at.
    RT_LANE_INLINE void into(Hit& hit) const {
        if (!L::any(found)) return;
        for (int l = 0; l < N; ++l) keepNearer(hit, best[l], index[l]);
    }
};

// The loops go over spheres begin to end - 1 (begin < end), N at a time.
// A range shorter than N is read as the N from begin, which the padding
// after the last sphere keeps in bounds; in a longer one the short last
// group takes the N spheres before end. Either tests some spheres twice or
// besides those asked for, which changes nothing.
RT_LANE_INLINE std::int32_t groupEnd(std::int32_t begin, std::int32_t end, std::int32_t n) {
    return std::max(end, begin + n);
}

// Each group of N spheres in turn: reached(mask, t, at) with the lanes past
// the sphere test's early misses (and their distances, when there are any),
// until it returns true; whether it did.
template <int N, class Reached>
RT_LANE_INLINE bool eachGroup(const SphereScan::Columns& s, std::int32_t begin, std::int32_t end, const Ray& ray,
                              Reached&& reached) {
    static_assert(N <= SphereScan::PAD, "the padding holds a group");
    using L = Lanes<N>;
    end = groupEnd(begin, end, N);
    const typename L::V origin = L::splat(ray.origin);
    const typename L::V direction = L::splat(ray.direction);
    for (std::int32_t k = begin; k < end; k += N) {
        const std::int32_t at = std::min(k, end - N);
        typename L::F t;
        const typename L::M mask = L::sphereDistance({L::load(s.x + at), L::load(s.y + at), L::load(s.z + at)},
                                                     L::load(s.radiusSquared + at), origin, direction, t);
        if (L::any(mask) && reached(mask, t, at)) return true;
    }
    return false;
}

template <int N>
RT_LANE_INLINE void addNearest(const SphereScan::Columns& s, std::int32_t begin, std::int32_t end, const Ray& ray,
                               Hit& hit) {
    using L = Lanes<N>;
    NearestLanes<N> nearest(hit);
    eachGroup<N>(s, begin, end, ray,
                 [&](typename L::M mask, typename L::F t, std::int32_t at) __attribute__((always_inline)) {
                     nearest.keep(mask, t, L::loadIndexes(s.index + at));
                     return false;
                 });
    nearest.into(hit);
}

// Whether one of the spheres is met at a distance in [0, maxDistance).
template <int N>
RT_LANE_INLINE bool anyWithin(const SphereScan::Columns& s, std::int32_t begin, std::int32_t end, const Ray& ray,
                              float maxDistance) {
    using L = Lanes<N>;
    return eachGroup<N>(s, begin, end, ray,
                        [&](typename L::M mask, typename L::F t, std::int32_t) __attribute__((always_inline)) {
                            return L::any(mask & (t >= 0.0f) & (t < maxDistance));
                        });
}

}  // namespace scan_lanes
#endif
