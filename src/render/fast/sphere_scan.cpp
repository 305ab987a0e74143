#include "render/fast/sphere_scan.h"

#include <algorithm>
#include <cmath>

#include "geometry/sphere.h"
#include "render/fast/lanes.h"
#include "render/fast/sphere_scan_lanes.h"

#if defined(RT_SIMD_LANES) && defined(RT_AVX2_COPIES)
#include <immintrin.h>
#endif

namespace {

#ifdef RT_SIMD_LANES
using scan_lanes::NearestLanes;

#ifdef RT_AVX2_COPIES
// For rays whose distances are mostly the rounding of d2, a first look at
// A = tca alone. A distance t = fl(A - sq) in [0, T] needs A - T' <= sq <= A,
// T' = T (1 + 2^-20) + 2^-140 (for A >= 2^-20 no negative difference rounds
// to -0); then q = r² - d2 lies within 2^-51 of [(A - T')², A²] (sq and q
// each rounded once), so the float Z = -d2 lies in [A² - r² - C', A² - r² +
// 2^-50 A²], C' = 2AT' + 2^-50 A². Write A² = P + E, P the float square and
// E its exact error (one fused multiply-add). While C = r² + C' is below a
// quarter of P's unit in the last place, no float but P can lie there (E is
// within half a unit of 0), so Z = P needs r² - 2^-50 A² <= E <= C. The
// float bounds below keep 2^-16 of r² and C and 2^-40 of P for their own
// rounding; 2^-26 P is at most a quarter unit. Lanes outside 2^-20 <= A <=
// 2^60, where E could underflow or P overflow, are never passed over.
RT_AVX2_FMA_FUNCTION void scanLongAvx2(const SphereScan::Columns s, std::int32_t begin, std::int32_t end,
                                       const Ray& ray, Hit& hit) {
    using L = Lanes<8>;
    using F = typename L::F;
    using D = typename L::D;
    using M = typename L::M;
    const typename L::V origin = L::splat(ray.origin);
    const typename L::V direction = L::splat(ray.direction);
    NearestLanes<8> nearest(hit);
    end = scan_lanes::groupEnd(begin, end, 8);
    float limit = hit.distance;
    F slack{};  // 2 T' (1 + 2^-16), rounded up
    const auto setLimit = [&](float t) {
        limit = t;
        const double twice = (static_cast<double>(t) * (1.0 + 0x1p-20) + 0x1p-140) * 2.0 * (1.0 + 0x1p-16);
        // Rounded up without a call: to the nearest float, which is within
        // 2^-24 of it or, below 2^-126, within 2^-150.
        slack = L::splat(static_cast<float>(twice * (1.0 + 0x1p-22) + 0x1p-149));
    };
    setLimit(limit);
    for (std::int32_t k = begin; k < end; k += 8) {
        const std::int32_t at = std::min(k, end - 8);
        const typename L::V toCentre = L::minus({L::load(s.x + at), L::load(s.y + at), L::load(s.z + at)}, origin);
        const F tca = L::dot(toCentre, direction);
        const F radiusSquared = L::load(s.radiusSquared + at);
        const F square = tca * tca;
        const F error = (F)_mm256_fmsub_ps((__m256)tca, (__m256)tca, (__m256)square);
        const F spare = square * 0x1p-40f;
        const F most = (radiusSquared + tca * slack) * (1.0f + 0x1p-16f) + spare;
        const F least = radiusSquared * (1.0f - 0x1p-16f) - spare;
        const M looked = (tca >= 0x1p-20f) & (tca <= 0x1p60f) & (most < square * 0x1p-26f);
        const M passed = (tca < 0.0f) | (looked & ((error < least) | (error > most)));
        if (!L::any(~passed)) continue;
        const D tcaWide = L::wide(tca);
        const F d2 = L::narrow(L::wide(L::dot(toCentre, toCentre)) - tcaWide * tcaWide);
        const M reached = ~(tca < 0.0f) & ~(d2 > radiusSquared);
        if (!L::any(reached)) continue;
        const F t = L::narrow(tcaWide - L::sqrt(L::wide(radiusSquared) - L::wide(d2)));
        if (!nearest.keep(reached, t, L::loadIndexes(s.index + at))) continue;
        float closest = limit;
        for (int l = 0; l < 8; ++l) closest = std::min(closest, nearest.best[l]);
        if (closest < limit) setLimit(closest);
    }
    nearest.into(hit);
}
#endif

bool withinSse(const SphereScan::Columns& s, std::int32_t begin, std::int32_t end, const Ray& ray, float maxDistance) {
    return scan_lanes::anyWithin<4>(s, begin, end, ray, maxDistance);
}

void scanSse(const SphereScan::Columns& s, std::int32_t begin, std::int32_t end, const Ray& ray, Hit& hit) {
    scan_lanes::addNearest<4>(s, begin, end, ray, hit);
}

#ifdef RT_AVX2_COPIES
RT_AVX2_FUNCTION bool withinAvx2(const SphereScan::Columns& s, std::int32_t begin, std::int32_t end, const Ray& ray,
                                 float maxDistance) {
    return scan_lanes::anyWithin<8>(s, begin, end, ray, maxDistance);
}

RT_AVX2_FUNCTION void scanAvx2(const SphereScan::Columns& s, std::int32_t begin, std::int32_t end, const Ray& ray,
                               Hit& hit) {
    scan_lanes::addNearest<8>(s, begin, end, ray, hit);
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
        return scanAvx2(columns(), begin, end, ray, hit);
    }
#endif
    scanSse(columns(), begin, end, ray, hit);
#else
    for (std::int32_t k = begin; k < end; ++k) {
        const auto at = static_cast<std::size_t>(k);
        keepNearer(hit, sphereDistance(Vector3(x_[at], y_[at], z_[at]), radiusSquared_[at], ray), index_[at]);
    }
#endif
}

void SphereScan::addNearestLong(const Ray& ray, Hit& hit, std::int32_t begin, std::int32_t end) const {
#if defined(RT_SIMD_LANES) && defined(RT_AVX2_COPIES)
    if (begin < end && cpuHasAvx2Fma()) {
        return scanLongAvx2(columns(), begin, end, ray, hit);
    }
#endif
    addNearest(ray, hit, begin, end);
}

bool SphereScan::anyWithin(const Ray& ray, float maxDistance, std::int32_t begin, std::int32_t end) const {
    if (begin >= end) return false;
#ifdef RT_SIMD_LANES
#ifdef RT_AVX2_COPIES
    if (cpuHasAvx2()) {
        return withinAvx2(columns(), begin, end, ray, maxDistance);
    }
#endif
    return withinSse(columns(), begin, end, ray, maxDistance);
#else
    for (std::int32_t k = begin; k < end; ++k) {
        const auto at = static_cast<std::size_t>(k);
        const float t = sphereDistance(Vector3(x_[at], y_[at], z_[at]), radiusSquared_[at], ray);
        if (t >= 0.0f && t < maxDistance) return true;
    }
    return false;
#endif
}
