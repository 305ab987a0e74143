// Four lanes of floats and doubles for the tracer's vector code (GCC and
// Clang vector extensions). Every operator works lane by lane with the IEEE
// operation of the scalar code, so each lane gets the scalar code's bits.
#pragma once

// GCC only: Clang refuses four-double vectors in calls without AVX, even
// inlined ones, and builds the plain per-lane code instead.
#if defined(__GNUC__) && !defined(__clang__) && (defined(__SSE2__) || !(defined(__i386__) || defined(__x86_64__)))
#define RT_SIMD_LANES 1

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "math/vector3.h"

// Four doubles are two SSE registers; the helpers below are always inlined,
// so no call passes them by value.
#pragma GCC diagnostic ignored "-Wpsabi"
#define RT_LANE_INLINE inline __attribute__((always_inline))

// Where the loader can choose (glibc's ifunc on x86-64), a second copy for
// CPUs with AVX2, whose registers hold four doubles. The same IEEE operations
// lane by lane, so the same bits; -ffp-contract=off still forbids fusing.
#if defined(__x86_64__) && defined(__linux__) && defined(__GLIBC__) && !defined(RT_NO_CPU_DISPATCH)
#define RT_LANE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define RT_LANE_CLONES
#endif


namespace lanes {

// Four lanes. Every operator works lane by lane with the IEEE operation of
// the scalar code: float where it stores a float, double where it widens.
using F4 = float __attribute__((vector_size(16)));
using D4 = double __attribute__((vector_size(32)));
using M4 = std::int32_t __attribute__((vector_size(16)));  // lane masks: -1 or 0

struct V4 {
    F4 x, y, z;
};

RT_LANE_INLINE D4 wide(F4 v) { return __builtin_convertvector(v, D4); }
RT_LANE_INLINE F4 narrow(D4 v) { return __builtin_convertvector(v, F4); }
RT_LANE_INLINE F4 splat(float v) { return F4{v, v, v, v}; }
RT_LANE_INLINE V4 splat(const Vector3& v) { return {splat(v.x), splat(v.y), splat(v.z)}; }
RT_LANE_INLINE V4 operator-(const V4& a, const V4& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
RT_LANE_INLINE bool any(M4 m) {
#if defined(__SSE2__)
    return _mm_movemask_ps(reinterpret_cast<__m128>(m)) != 0;
#else
    return (m[0] | m[1] | m[2] | m[3]) != 0;
#endif
}

// Vector3::dot: ((x·x' + y·y') + z·z') in double, rounded to float.
RT_LANE_INLINE F4 dot(const V4& a, const V4& b) { return narrow((wide(a.x) * wide(b.x) + wide(a.y) * wide(b.y)) + wide(a.z) * wide(b.z)); }

RT_LANE_INLINE D4 sqrt(D4 v) {
#if defined(__SSE2__)
    const __m128d low = _mm_sqrt_pd(_mm_set_pd(v[1], v[0]));
    const __m128d high = _mm_sqrt_pd(_mm_set_pd(v[3], v[2]));
    return D4{low[0], low[1], high[0], high[1]};
#else
    return D4{std::sqrt(v[0]), std::sqrt(v[1]), std::sqrt(v[2]), std::sqrt(v[3])};
#endif
}

// Vector3::addScaled onto (0, 0, 0): s·v + 0 in double.
RT_LANE_INLINE V4 scaledFromZero(const V4& v, F4 s) {
    const D4 ws = wide(s);
    return {narrow(ws * wide(v.x) + 0.0), narrow(ws * wide(v.y) + 0.0), narrow(ws * wide(v.z) + 0.0)};
}

RT_LANE_INLINE V4 select(M4 m, const V4& a, const V4& b) { return {m ? a.x : b.x, m ? a.y : b.y, m ? a.z : b.z}; }

}  // namespace lanes

#endif
