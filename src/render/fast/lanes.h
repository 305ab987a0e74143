// Lanes of floats and doubles for the tracer's vector code (GCC's vector
// extensions). Every operator works lane by lane with the IEEE operation of
// the scalar code (float where it stores a float, double where it widens),
// so each lane gets the scalar code's bits.
#pragma once

// GCC only: Clang refuses vectors of four doubles in calls without AVX, even
// inlined ones, and builds the plain per-lane code instead.
#if defined(__GNUC__) && !defined(__clang__) && (defined(__SSE2__) || !(defined(__i386__) || defined(__x86_64__)))
#define RT_SIMD_LANES 1

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "math/vector3.h"

// Vectors of doubles wider than a register: everything below is always
// inlined, so no call passes one by value.
#pragma GCC diagnostic ignored "-Wpsabi"
#define RT_LANE_INLINE inline __attribute__((always_inline))

// On x86-64 a copy of the vector code for CPUs with AVX2, with eight lanes
// (two groups of four whose chains run side by side), chosen when the program
// runs. No FMA is enabled, and -ffp-contract=off forbids fusing anyway.
#if defined(__x86_64__) && !defined(RT_NO_CPU_DISPATCH)
#define RT_AVX2_COPIES 1
#define RT_AVX2_FUNCTION __attribute__((target("avx2")))
inline bool cpuHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
// With FMA as well, for the one kernel that needs a product's exact error.
#define RT_AVX2_FMA_FUNCTION __attribute__((target("avx2,fma")))
inline bool cpuHasAvx2Fma() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#endif

// The vector types of N lanes (GCC takes no vector size that depends on a
// template parameter, so each count is spelt out).
template <int N>
struct LaneTypes;
template <>
struct LaneTypes<4> {
    typedef float F __attribute__((vector_size(16)));
    typedef double D __attribute__((vector_size(32)));
    typedef std::int32_t M __attribute__((vector_size(16)));
};
template <>
struct LaneTypes<8> {
    typedef float F __attribute__((vector_size(32)));
    typedef double D __attribute__((vector_size(64)));
    typedef std::int32_t M __attribute__((vector_size(32)));
};

template <int N>
struct Lanes {
    using F = typename LaneTypes<N>::F;
    using D = typename LaneTypes<N>::D;
    using M = typename LaneTypes<N>::M;  // lane masks: -1 or 0
    struct V {
        F x, y, z;
    };

    static RT_LANE_INLINE D wide(F v) { return __builtin_convertvector(v, D); }
    static RT_LANE_INLINE F narrow(D v) { return __builtin_convertvector(v, F); }
    template <std::size_t... I>
    static RT_LANE_INLINE F splatLanes(float v, std::index_sequence<I...>) {
        return F{(static_cast<void>(I), v)...};
    }
    // One broadcast, not a lane-by-lane build.
    static RT_LANE_INLINE F splat(float v) { return splatLanes(v, std::make_index_sequence<N>{}); }
    // Built in registers, lane by lane: not stored and read back as a whole,
    // which would wait for the stores.
    template <std::size_t... I>
    static RT_LANE_INLINE F loadLanes(const float* values, std::index_sequence<I...>) {
        return F{values[I]...};
    }
    static RT_LANE_INLINE F load(const float* values) { return loadLanes(values, std::make_index_sequence<N>{}); }
    template <std::size_t... I>
    static RT_LANE_INLINE M loadIndexLanes(const std::int32_t* values, std::index_sequence<I...>) {
        return M{values[I]...};
    }
    static RT_LANE_INLINE M loadIndexes(const std::int32_t* values) {
        return loadIndexLanes(values, std::make_index_sequence<N>{});
    }
    template <std::size_t... I>
    static RT_LANE_INLINE V gatherLanes(const Vector3* const* points, std::index_sequence<I...>) {
        return {F{points[I]->x...}, F{points[I]->y...}, F{points[I]->z...}};
    }
    // Lane l from *points[l].
    static RT_LANE_INLINE V gather(const Vector3* const* points) {
        return gatherLanes(points, std::make_index_sequence<N>{});
    }
    static RT_LANE_INLINE V splat(const Vector3& v) { return {splat(v.x), splat(v.y), splat(v.z)}; }
    template <std::size_t... I>
    static RT_LANE_INLINE M splatIndexLanes(std::int32_t i, std::index_sequence<I...>) {
        return M{(static_cast<void>(I), i)...};
    }
    static RT_LANE_INLINE M splatIndex(std::int32_t i) { return splatIndexLanes(i, std::make_index_sequence<N>{}); }
    static RT_LANE_INLINE V minus(const V& a, const V& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

    static RT_LANE_INLINE bool any(M m) {
#if defined(__SSE2__)
        // The quarters of the mask or-ed together, then one sign-bit mask.
        __m128i bits;
        std::memcpy(&bits, &m, sizeof bits);
        for (int l = 4; l < N; l += 4) {
            __m128i quarter;
            std::memcpy(&quarter, reinterpret_cast<const char*>(&m) + l * sizeof(std::int32_t), sizeof quarter);
            bits = _mm_or_si128(bits, quarter);
        }
        return _mm_movemask_ps(_mm_castsi128_ps(bits)) != 0;
#else
        for (int l = 0; l < N; ++l) {
            if (m[l] != 0) return true;
        }
        return false;
#endif
    }

    // Vector3::dot: ((x·x' + y·y') + z·z') in double, rounded to float.
    static RT_LANE_INLINE F dot(const V& a, const V& b) {
        return narrow((wide(a.x) * wide(b.x) + wide(a.y) * wide(b.y)) + wide(a.z) * wide(b.z));
    }

    // Lane by lane, which GCC builds as whole-register square roots.
    static RT_LANE_INLINE D sqrt(D v) {
        D root{};
        for (int l = 0; l < N; ++l) root[l] = __builtin_sqrt(v[l]);
        return root;
    }

    // Vector3::addScaled onto (0, 0, 0): s·v + 0 in double.
    static RT_LANE_INLINE V scaledFromZero(const V& v, F s) {
        const D ws = wide(s);
        return {narrow(ws * wide(v.x) + 0.0), narrow(ws * wide(v.y) + 0.0), narrow(ws * wide(v.z) + 0.0)};
    }

    // planeDistance lane by lane.
    static RT_LANE_INLINE F planeDistance(const Vector3& normal, float offset, const V& origin, const V& direction) {
        const V n = splat(normal);
        const F b = dot(origin, n) - offset;
        return b / -dot(n, direction);
    }

    // sphereDistance lane by lane. Returns the lanes past its two early
    // misses and, only when there are any, sets t for them: the square root
    // is skipped in the usual case.
    static RT_LANE_INLINE M sphereDistance(const V& centre, F radiusSquared, const V& origin, const V& direction,
                                           F& t) {
        const V toCentre = minus(centre, origin);
        const F tca = dot(toCentre, direction);
        const D tcaWide = wide(tca);
        const F d2 = narrow(wide(dot(toCentre, toCentre)) - tcaWide * tcaWide);
        const M reached = ~(tca < 0.0f) & ~(d2 > radiusSquared);
        if (any(reached)) t = narrow(tcaWide - sqrt(wide(radiusSquared) - wide(d2)));
        return reached;
    }
    // One sphere for every lane's ray.
    static RT_LANE_INLINE M sphereDistance(const Vector3& centre, float radiusSquared, const V& origin,
                                           const V& direction, F& t) {
        return sphereDistance(splat(centre), splat(radiusSquared), origin, direction, t);
    }

    // For sphereDistanceScreened: a slack for rays along `direction`, worked
    // out once for all the spheres they are tested against.
    static RT_LANE_INLINE F screenSlack(const V& direction) {
        const F lengthSquared = (direction.x * direction.x + direction.y * direction.y) + direction.z * direction.z;
        return 1e-5f * (1.0f + lengthSquared);
    }

    // sphereDistance after a first look in float: when every lane's ray
    // surely passes the sphere by, none is reached and the steps in double are
    // skipped. The float figures are within some 12 units in the last place
    // of |toCentre|²·(1 + |direction|²) of the exact ones, and the test's own
    // within 5; the slack is over a hundred times that, and from 2^-100 up
    // nothing underflows that matters. NaN and overflow are never screened out.
    static RT_LANE_INLINE M sphereDistanceScreened(const Vector3& centre, float radiusSquared, const V& origin,
                                                   const V& direction, F slack, F& t) {
        const V toCentre = minus(splat(centre), origin);
        const F along = (toCentre.x * direction.x + toCentre.y * direction.y) + toCentre.z * direction.z;
        const F distanceSquared = (toCentre.x * toCentre.x + toCentre.y * toCentre.y) + toCentre.z * toCentre.z;
        const M past = (distanceSquared - along * along > radiusSquared + slack * distanceSquared) &
                       (distanceSquared >= 0x1p-100f);
        if (!any(~past)) return M{};
        return sphereDistance(centre, radiusSquared, origin, direction, t);
    }

    static RT_LANE_INLINE V select(M m, const V& a, const V& b) {
        return {m ? a.x : b.x, m ? a.y : b.y, m ? a.z : b.z};
    }
};

#endif

// The lanes of the vector code built for every CPU: four, or one where no
// vector code is built.
#ifdef RT_SIMD_LANES
inline constexpr int BASE_LANES = 4;
#else
inline constexpr int BASE_LANES = 1;
#endif
