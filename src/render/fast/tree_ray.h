// TreeRay: a ray made ready for the sphere tree's box tests, and those
// tests, written once for one box (float) and for several boxes at a time
// (a vector of floats, lane by lane the same operations, so the same answers).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "math/ray.h"
#include "render/fast/sphere_tree.h"

namespace tree_ray {

// Far enough in that no figure of a box or of a query overflows a float.
constexpr float FARTHEST = 1e18f;
// Beyond these squared lengths the cone's widening holds everything ahead
// of the origin, and then the sphere test's distance is rounding noise.
constexpr double CONE_REACH = 1e4;
constexpr double BALL_REACH = 8e6;

// A ray as the boxes are tested against it: its unit direction u, the
// reciprocals of u's components (a zero taken as 1e-30, so that no product
// is 0 times infinity), the cone's widening K per unit of distance along u,
// and the figures of the lower bounds on a hit's distance below.
struct TreeRay {
    float origin[3];
    float unit[3];
    float inverse[3];
    float widening;  // K
    float slant;     // sqrt(1 + K²)
    bool wide;       // K large enough for the test against the box's ball to pay
    float shrink;    // max(0, 1 - s)
    float steep;     // s - K, in (0, 1]
    float spill;     // 1 - s + K, at least 0
    float rounding;  // e: the sphere test's rounding, relative to |L|²
    float twiceLength;  // 2 s
    bool far;        // s² above CONE_REACH: only the ball below narrows it
    bool ball;       // s² of at least 2: the ball is worth testing
    float ballScale;    // s / g, rounded up
    float ballInverse;  // 1 / g, rounded up
};

// A square root that is also worked out when compiling (to within a unit in
// the last place; the figures below keep far wider margins).
constexpr double rootOf(double x) {
    if (!std::is_constant_evaluated()) return std::sqrt(x);
    if (!(x > 0.0)) return 0.0;
    double root = x < 1.0 ? 1.0 : x;
    for (int k = 0; k < 200; ++k) {
        const double next = 0.5 * (root + x / root);
        if (next >= root) break;
        root = next;
    }
    return root;
}

// K, the cone's widening per unit of distance, for directions of squared
// length s2, and e, the rounding of the sphere test relative to |L|².
constexpr double roundingOf(double s2) { return 1e-6 * std::max(1.0, s2); }
constexpr double wideningOf(double s2) {
    const double e = roundingOf(s2);
    return rootOf((std::max(0.0, s2 - 1.0) + 2.0 * e + 4e-6) * (1.0 + 2.0 * e)) * (1.0 + 1e-5);
}

// The figures that depend on the direction's squared length alone, good
// for every squared length in [low, high]: each is taken at the end of the
// range where it is the more cautious (for one length, the two agree).
constexpr void setLengthFigures(double low, double high, TreeRay& r) {
    const double sLow = rootOf(low);
    const double sHigh = rootOf(high);
    const double e = roundingOf(high);
    // The widening, rounded up, with 4e-6 more under the root for the box
    // test's own rounding; the slope of the distance bound rounded down.
    const double k = wideningOf(high);
    r.widening = static_cast<float>(k);
    r.slant = static_cast<float>(rootOf(1.0 + k * k) * (1.0 + 1e-5));
    r.wide = k > 0.05;
    r.shrink = static_cast<float>(std::max(0.0, 1.0 - sLow) * (1.0 + 1e-5));
    const auto steepOf = [](double s2, double s) {
        return s - rootOf(std::max(0.0, s2 - 1.0) + roundingOf(s2)) - 2e-7 * s;
    };
    const double steep = std::min(steepOf(low, sLow), steepOf(high, sHigh));
    r.steep = static_cast<float>(std::max(0.0, steep) * (1.0 - 1e-5));
    r.spill = 1.0f - r.steep;
    r.rounding = static_cast<float>(e);
    r.twiceLength = static_cast<float>(2.0 * sHigh * (1.0 + 1e-5));
    r.far = high > CONE_REACH;
    r.ball = low >= 2.0;
    const double g = 1.0 - 1e-6 - 6.5e-8 * std::max(1.0, high);
    r.ballScale = static_cast<float>(sHigh / g * (1.0 + 1e-6));
    r.ballInverse = static_cast<float>(1.0 / g * (1.0 + 1e-6));
}

// Directions normalised in float (shadow rays, mirror rays off planes) have
// squared lengths within a few 1e-7 of 1: for them the figures are made once.
constexpr double NEAR_UNIT = 1e-6;
constexpr TreeRay nearUnitFigures() {
    TreeRay r{};
    setLengthFigures(1.0 - NEAR_UNIT, 1.0 + NEAR_UNIT, r);
    return r;
}
constexpr TreeRay NEAR_UNIT_FIGURES = nearUnitFigures();

// False for the rays the boxes cannot narrow down.
inline bool prepare(const Ray& ray, TreeRay& r) {
    const double d[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    const double s2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    if (!(s2 >= 0.25 && s2 <= BALL_REACH)) return false;
    const float o[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    for (float c : o) {
        if (!(std::fabs(c) <= FARTHEST)) return false;
    }
    double scale;  // 1 / s
    if (std::fabs(s2 - 1.0) <= NEAR_UNIT) {
        r = NEAR_UNIT_FIGURES;
        // Newton's first step for 1 / sqrt(s2) from 1, within 4e-13 of it
        // here: no square root or division on the path of every shadow ray.
        scale = 1.5 - 0.5 * s2;
    } else {
        setLengthFigures(s2, s2, r);
        scale = 1.0 / std::sqrt(s2);
    }
    for (int c = 0; c < 3; ++c) {
        r.origin[c] = o[c];
        r.unit[c] = static_cast<float>(d[c] * scale);
        r.inverse[c] = 1.0f / (r.unit[c] != 0.0f ? r.unit[c] : 1e-30f);
    }
    return true;
}

// Lane operations with the semantics of std::min, std::max, std::fabs and
// std::sqrt, for a float or a double, or a GCC vector of either.
template <class T>
inline __attribute__((always_inline)) T laneMin(T a, T b) {
    return b < a ? b : a;
}
template <class T>
inline __attribute__((always_inline)) T laneMax(T a, T b) {
    return a < b ? b : a;
}
inline float laneAbs(float a) { return std::fabs(a); }
inline double laneAbs(double a) { return std::fabs(a); }
inline float laneSqrt(float a) { return std::sqrt(a); }
inline double laneSqrt(double a) { return std::sqrt(a); }
template <class T>
inline __attribute__((always_inline)) T laneAbs(T a) {
    using Mask = decltype(a < a);
    if constexpr (sizeof(a[0]) == sizeof(float)) {
        return (T)((Mask)a & 0x7fffffff);
    } else {
        return (T)((Mask)a & 0x7fffffffffffffffLL);
    }
}
template <class T>
inline __attribute__((always_inline)) T laneSqrt(T a) {
    T root{};
    for (unsigned l = 0; l < sizeof(T) / sizeof(a[0]); ++l) root[l] = std::sqrt(a[l]);
    return root;
}
template <class T>
inline __attribute__((always_inline)) T laneSplat(float v) {
    return T{} + v;
}
// A comparison's negation: of a bool, or of a vector mask of -1 and 0.
inline bool laneNot(bool m) { return !m; }
template <class M>
inline __attribute__((always_inline)) M laneNot(M m) {
    return ~m;
}

// Where the ray's line enters and leaves the box lo to hi (from its
// origin) grown by `grow` on every side, in distances along u; it misses
// the grown box when enter > leave.
template <class T, class G>
inline __attribute__((always_inline)) void slabs(const T lo[3], const T hi[3], G grow, const TreeRay& r, T& enter,
                                                 T& leave) {
    enter = laneSplat<T>(-INFINITY);
    leave = laneSplat<T>(INFINITY);
    for (int c = 0; c < 3; ++c) {
        const T a = (lo[c] - grow) * r.inverse[c];
        const T b = (hi[c] + grow) * r.inverse[c];
        enter = laneMax(enter, laneMin(a, b));
        leave = laneMin(leave, laneMax(a, b));
    }
}

// Whether a centre in the box (lo to hi, from the ray's origin) may give a
// hit at a distance of at most limit: the centre must lie in the ball about
// rho u of radius sqrt(r²/g + rho²), with rho = limit s / g. For the test's
// distance sa - sqrt(q), q = r² - d2, is (tca² - q) / (tca + sqrt(q)), at
// least (|L|² - r² - |err|) / 2 tca where err, d2's rounding to float, is
// under 2^-24 max(|L|², tca²) <= 5.97e-8 max(1, s²) |L|²; with tca within
// 5e-7 s|L| of s a and |L|² rounded by under 1e-6 of it, a hit within limit
// needs g|L|² - 2 s limit a <= r² (the 5e-7 folded into the 1e-5 below),
// g = 1 - 1e-6 - 6.5e-8 max(1, s²): a ball while g > 0, up to s² of 1.5e7.
// The float figures here are within a few 1e-7 of theirs, 1e-5 is kept.
template <class T>
inline __attribute__((always_inline)) auto inBall(const T lo[3], const T hi[3], const TreeRay& r, float largest,
                                                  float limit) {
    const float rho = limit * r.ballScale;
    if (!(rho <= FARTHEST)) return T{} == T{};
    T gap2{};
    T size{};
    for (int c = 0; c < 3; ++c) {
        const float p = rho * r.unit[c];
        const T gap = laneMax(laneMax(lo[c] - p, p - hi[c]), T{});
        gap2 += gap * gap;
        size += laneAbs(lo[c]) + laneAbs(hi[c]);
    }
    const T reach = std::sqrt(largest * largest * r.ballInverse + rho * rho) * 1.00001f + 1e-5f * (rho + size);
    return gap2 <= reach * reach;
}

// For a ray past the cone's reach: only a centre ahead of the origin (tca >=
// 0) can be met, so a box is passed over when it lies wholly behind by more
// than 1e-5 of its figures, or outside the ball. `bound` is the wide-cone
// bound alone, (|L|² - r²) / 2 s a at least, its slack the noise of d2.
template <class T>
inline __attribute__((always_inline)) auto reachesFar(const T lo[3], const T hi[3], const TreeRay& r, float largest,
                                                      float limit, T& bound) {
    T farthest{};
    T size{};
    T gap2{};
    for (int c = 0; c < 3; ++c) {
        farthest += laneMax(r.unit[c] * lo[c], r.unit[c] * hi[c]);
        size += laneAbs(lo[c]) + laneAbs(hi[c]);
        const T gap = laneMax(laneMax(lo[c], -hi[c]), T{});
        gap2 += gap * gap;
    }
    const T reach = laneMax(farthest, T{}) + 1e-5f * size;
    bound = (gap2 * (1.0f - 1e-5f) - largest * largest * r.ballInverse) / (r.ballScale * 2.0f * reach * 1.00001f);
    const auto ahead = laneNot((farthest < -1e-5f * size) | (bound > limit));
    const auto ball = inBall(lo, hi, r, largest, limit);
    return ahead & ball;
}

// Whether a sphere (of radius at most `largest`) in the box (lo to hi, from
// the ray's origin) may give the ray a hit at a distance of at most limit;
// `bound` is then a distance no such hit is below: where the ray enters the
// grown box, less (1 - s) times the farthest distance when s < 1; or
// (s - K) a - r, which the sphere test's distance s a - sqrt(r² - d2) cannot
// be below, at the nearest a of the box. A wide cone is also held against
// the ball about the box: a point within rho of the cone b <= K a + p lies
// within b <= K a + p + rho sqrt(1 + K²).
template <class T>
inline __attribute__((always_inline)) auto reaches(const T lo[3], const T hi[3], const TreeRay& r, float largest,
                                                   float limit, T& bound) {
    if (r.far) return reachesFar(lo, hi, r, largest, limit, bound);
    T nearest{};
    T farthest{};
    for (int c = 0; c < 3; ++c) {
        nearest += laneMin(r.unit[c] * lo[c], r.unit[c] * hi[c]);
        farthest += laneMax(r.unit[c] * lo[c], r.unit[c] * hi[c]);
    }
    farthest = laneMax(farthest, T{});
    const float pad = 2.0f * r.rounding * largest;
    const T grow = r.widening * farthest + pad;
    T enter, leave;
    slabs(lo, hi, grow, r, enter, leave);
    const T slack = 1e-5f * (laneAbs(enter) + laneAbs(nearest) + farthest + largest);
    bound = laneMax(enter - r.shrink * farthest, r.steep * nearest - r.spill * largest) - slack;
    if (r.wide) {
        // The test's distance is (|L|² - r²) / (s a + sqrt(r² - d2)), at least
        // (|L|² - r²) / (2 s a) with the origin outside the sphere; |L|² - r²
        // is at least the squared distance from the origin to the box.
        T gap2{};
        for (int c = 0; c < 3; ++c) {
            const T gap = laneMax(laneMax(lo[c], -hi[c]), T{});
            gap2 += gap * gap;
        }
        const T wideBound = gap2 / (r.twiceLength * farthest) * (1.0f - 1e-5f) -
                            1e-5f * r.twiceLength * farthest - 4e-4f * largest - slack;
        bound = farthest > 0.0f ? laneMax(bound, wideBound) : bound;
    }
    auto pass = (enter <= leave) & (leave >= -slack) & (bound <= limit);
    if (!r.wide) return pass;
    if (r.ball) pass &= inBall(lo, hi, r, largest, limit);
    T rho2{};
    T along{};
    T distance2{};
    for (int c = 0; c < 3; ++c) {
        const T middle = 0.5f * (lo[c] + hi[c]);
        const T half = 0.5f * (hi[c] - lo[c]);
        rho2 += half * half;
        along += r.unit[c] * middle;
        distance2 += middle * middle;
    }
    // Rounded generously: 1e-5 of every figure is far above float rounding.
    const T reach = r.widening * along + pad + r.slant * laneSqrt(rho2) * 1.0001f + slack +
                    1e-5f * laneSqrt(distance2);
    return pass & laneNot(reach < 0.0f) & (distance2 - along * along <= reach * reach * 1.0001f);
}

// One box.
inline __attribute__((always_inline)) bool reachesBox(const SphereTree::Box& box, const TreeRay& r, float largest,
                                                      float limit, float& bound) {
    float lo[3], hi[3];
    for (int c = 0; c < 3; ++c) {
        lo[c] = box.lo[c] - r.origin[c];
        hi[c] = box.hi[c] - r.origin[c];
    }
    return reaches(lo, hi, r, largest, limit, bound);
}

// For a query with a fixed limit T (is anything met in [0, T)?), a simpler
// box test. A sphere met within T has t >= (s - K') a - r, so its centre's
// a is at most aMax = (T + r) / steep, and the ray's line then passes
// within K aMax + 2e r of its box: each box is grown by that one figure, and
// the line must enter it at a distance in [0, aMax] (up to 1e-5 of the
// figures); the rounding is that of the one-box test.
struct WithinBox {
    float growth;
    float reach;  // aMax
};

// False when the figures would not be finite, or the cone is too wide for
// the growth to be worth it: the query then tests boxes one by one.
inline bool prepareWithin(const TreeRay& r, float largest, float limit, WithinBox& w) {
    if (r.far || r.wide || !(r.steep > 0.25f)) return false;
    const double reach = (static_cast<double>(limit) * (1.0 + 1e-5) + largest) / r.steep * (1.0 + 1e-5);
    if (!(reach <= FARTHEST)) return false;
    w.growth = static_cast<float>((r.widening * reach + 2.0 * r.rounding * largest) * (1.0 + 1e-5));
    w.reach = static_cast<float>(reach);
    return true;
}

// A box lo to hi, from the ray's origin.
template <class T>
inline __attribute__((always_inline)) auto reachesWithin(const T lo[3], const T hi[3], const TreeRay& r,
                                                         const WithinBox& w) {
    T enter, leave;
    slabs(lo, hi, w.growth, r, enter, leave);
    const T slack = 1e-5f * (laneAbs(enter) + w.reach);
    return (enter <= leave) & (leave >= -slack) & (enter <= w.reach + slack);
}

}  // namespace tree_ray
