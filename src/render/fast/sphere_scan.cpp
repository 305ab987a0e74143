#include "render/fast/sphere_scan.h"

#include <algorithm>
#include <cmath>

#include "geometry/sphere.h"
#include "render/fast/lanes.h"

namespace {

constexpr std::int32_t PAD = 8;  // the widest group of lanes

#ifdef RT_SIMD_LANES
// Spheres begin to end - 1, N at a time, end - begin at least N; a short
// last group takes the N spheres before end, testing some a second time,
// which changes nothing.
template <int N>
RT_LANE_INLINE void scan(const float* xs, const float* ys, const float* zs, const float* radiiSquared,
                         const std::int32_t* indexes, std::int32_t begin, std::int32_t end, const Ray& ray,
                         Hit& hit) {
    using L = Lanes<N>;
    using F = typename L::F;
    using M = typename L::M;
    const typename L::V origin = L::splat(ray.origin);
    const typename L::V direction = L::splat(ray.direction);
    F best = L::splat(hit.distance);
    M bestIndex = L::splatIndex(hit.index);
    M found{};
    for (std::int32_t k = begin; k < end; k += N) {
        const std::int32_t at = std::min(k, end - N);
        F t;
        const M reached = L::sphereDistance({L::load(xs + at), L::load(ys + at), L::load(zs + at)},
                                            L::load(radiiSquared + at), origin, direction, t);
        if (!L::any(reached)) continue;
        const M index = L::loadIndexes(indexes + at);
        const M accept = reached & (t >= 0.0f) & ((t < best) | ((t == best) & (index < bestIndex)));
        best = accept ? t : best;
        bestIndex = accept ? index : bestIndex;
        found |= accept;
    }
    // Most leaves of a tree hold nothing nearer: then no lane need be looked at.
    if (!L::any(found)) return;
    for (int l = 0; l < N; ++l) keepNearer(hit, best[l], bestIndex[l]);
}

template <int N>
RT_LANE_INLINE bool within(const float* xs, const float* ys, const float* zs, const float* radiiSquared,
                           std::int32_t begin, std::int32_t end, const Ray& ray, float maxDistance) {
    using L = Lanes<N>;
    using F = typename L::F;
    using M = typename L::M;
    const typename L::V origin = L::splat(ray.origin);
    const typename L::V direction = L::splat(ray.direction);
    for (std::int32_t k = begin; k < end; k += N) {
        const std::int32_t at = std::min(k, end - N);
        F t;
        const M reached = L::sphereDistance({L::load(xs + at), L::load(ys + at), L::load(zs + at)},
                                            L::load(radiiSquared + at), origin, direction, t);
        if (!L::any(reached)) continue;
        if (L::any(reached & (t >= 0.0f) & (t < maxDistance))) return true;
    }
    return false;
}

bool withinSse(const float* xs, const float* ys, const float* zs, const float* r2, std::int32_t begin,
               std::int32_t end, const Ray& ray, float maxDistance) {
    return within<4>(xs, ys, zs, r2, begin, end, ray, maxDistance);
}

#ifdef RT_AVX2_COPIES
RT_AVX2_FUNCTION bool withinAvx2(const float* xs, const float* ys, const float* zs, const float* r2,
                                 std::int32_t begin, std::int32_t end, const Ray& ray, float maxDistance) {
    return within<8>(xs, ys, zs, r2, begin, end, ray, maxDistance);
}
#endif

void scanSse(const float* xs, const float* ys, const float* zs, const float* r2, const std::int32_t* indexes,
             std::int32_t begin, std::int32_t end, const Ray& ray, Hit& hit) {
    scan<4>(xs, ys, zs, r2, indexes, begin, end, ray, hit);
}

#ifdef RT_AVX2_COPIES
RT_AVX2_FUNCTION void scanAvx2(const float* xs, const float* ys, const float* zs, const float* r2,
                               const std::int32_t* indexes, std::int32_t begin, std::int32_t end, const Ray& ray,
                               Hit& hit) {
    scan<8>(xs, ys, zs, r2, indexes, begin, end, ray, hit);
}
#endif
#endif

}  // namespace

void SphereScan::add(const Vector3& centre, float radiusSquared, std::int32_t index) {
    const auto at = static_cast<std::size_t>(count_++);
    if (x_.size() < at + PAD) {
        const std::size_t size = 2 * (at + PAD);
        x_.resize(size), y_.resize(size), z_.resize(size), radiusSquared_.resize(size), index_.resize(size);
    }
    x_[at] = centre.x, y_[at] = centre.y, z_[at] = centre.z, radiusSquared_[at] = radiusSquared, index_[at] = index;
}

// A sphere of squared radius -infinity is never reached: d2 > -infinity,
// or d2 is NaN and so is t, which is never accepted. A whole group of them
// follows the last sphere, so that a group started anywhere stays in bounds.
void SphereScan::finish() {
    const auto end = static_cast<std::size_t>(count_) + PAD;
    if (x_.size() < end) x_.resize(end), y_.resize(end), z_.resize(end), radiusSquared_.resize(end), index_.resize(end);
    for (auto at = static_cast<std::size_t>(count_); at < end; ++at) {
        x_[at] = y_[at] = z_[at] = 0.0f;
        radiusSquared_[at] = -INFINITY;
        index_[at] = 0;
    }
}

void SphereScan::addNearest(const Ray& ray, Hit& hit, std::int32_t begin, std::int32_t end) const {
    if (begin >= end) return;
#ifdef RT_SIMD_LANES
#ifdef RT_AVX2_COPIES
    if (cpuHasAvx2()) {
        return scanAvx2(x_.data(), y_.data(), z_.data(), radiusSquared_.data(), index_.data(), begin,
                        std::max(end, begin + PAD), ray, hit);
    }
#endif
    scanSse(x_.data(), y_.data(), z_.data(), radiusSquared_.data(), index_.data(), begin, std::max(end, begin + 4), ray,
            hit);
#else
    for (std::int32_t k = begin; k < end; ++k) {
        const auto at = static_cast<std::size_t>(k);
        keepNearer(hit, sphereDistance(Vector3(x_[at], y_[at], z_[at]), radiusSquared_[at], ray), index_[at]);
    }
#endif
}

bool SphereScan::anyWithin(const Ray& ray, float maxDistance, std::int32_t begin, std::int32_t end) const {
    if (begin >= end) return false;
#ifdef RT_SIMD_LANES
#ifdef RT_AVX2_COPIES
    if (cpuHasAvx2()) {
        return withinAvx2(x_.data(), y_.data(), z_.data(), radiusSquared_.data(), begin, std::max(end, begin + PAD),
                          ray, maxDistance);
    }
#endif
    return withinSse(x_.data(), y_.data(), z_.data(), radiusSquared_.data(), begin, std::max(end, begin + 4), ray,
                     maxDistance);
#else
    for (std::int32_t k = begin; k < end; ++k) {
        const auto at = static_cast<std::size_t>(k);
        const float t = sphereDistance(Vector3(x_[at], y_[at], z_[at]), radiusSquared_[at], ray);
        if (t >= 0.0f && t < maxDistance) return true;
    }
    return false;
#endif
}
