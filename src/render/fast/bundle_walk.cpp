// The walk of a bundle of rays from one point down the sphere tree's wide
// nodes: a node's eight boxes are tested in double, four lanes at a time
// where vector code is built, each lane with the one-box test's operations.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/fast/lanes.h"
#include "render/fast/sphere_tree.h"
#include "render/fast/tree_ray.h"

namespace {

#ifndef RT_LANE_INLINE
#define RT_LANE_INLINE inline __attribute__((always_inline))
#endif

using Figures = SphereTree::BundleWalk::Figures;
using tree_ray::laneAbs;
using tree_ray::laneMax;
using tree_ray::laneNot;
using tree_ray::laneSqrt;

// A bit for each lane of a mask of N doubles' comparisons, read through
// memory: subscripts of such masks came out wrong from GCC 12 in a build
// for SSE2 alone with the sanitizers.
template <int N, class M>
RT_LANE_INLINE std::uint32_t laneBits(const M& mask) {
    static_assert(sizeof(M) == N * sizeof(std::int64_t), "a mask of N 64-bit lanes");
    std::int64_t lanes[N];
    std::memcpy(lanes, &mask, sizeof lanes);
    std::uint32_t bits = 0;
    for (int l = 0; l < N; ++l) bits |= (lanes[l] != 0 ? 1u : 0u) << l;
    return bits;
}

// Whether some ray of the bundle may meet a sphere of the box lo to hi
// (taken from the apex), and the least distance such a hit may have.
//
// A ray meets a sphere of the box only if it passes through the box grown
// by K times its farthest distance (and the pad), which lies in the ball
// about the box's middle of radius rho' = rho + sqrt(3) times that growth.
// A ray of the bundle passes through that ball only if the ball's middle lies
// within the bundle's angle plus the angle the ball spans, or the apex lies
// in it. The hit's distance is no less than the apex's distance from the
// grown box, less (1 - s) times the farthest distance; all in double, with
// 1e-9 of the cosine and 1e-5 of the figures, far above their rounding.
//
// The wedge: a centre that a ray of the bundle meets lies within
// (r + K a)(1 + e) of the ray's line, a <= |L|, and the line's points at a up
// to |L| lie within spread |L| of the wedge's plane; so the box's nearest
// point to that plane must lie within the largest radius plus
// (K + spread) times its farthest distance of it.
template <class T>
RT_LANE_INLINE auto boxReached(const Figures& f, const T lo[3], const T hi[3], T& bound) {
    T rho2{};
    T distance2{};
    T along{};
    T gap2{};
    T offset{};  // of the middle from the wedge's plane
    T extent{};  // of the box across that plane, about its middle
    for (int c = 0; c < 3; ++c) {
        const T middle = 0.5 * (lo[c] + hi[c]);
        const T half = 0.5 * (hi[c] - lo[c]);
        rho2 += half * half;
        distance2 += middle * middle;
        along += f.axis[c] * middle;
        const T gap = laneMax(laneMax(lo[c], -hi[c]), T{});
        gap2 += gap * gap;
        offset += f.normal[c] * middle;
        extent += std::fabs(f.normal[c]) * half;
    }
    const T distance = laneSqrt(distance2);
    const T rho = laneSqrt(rho2);
    const T farthest = distance + rho;
    const T grow = f.widening * farthest + f.pad;
    const T reach = (rho + 1.7320509 * grow) * (1.0 + 1e-5) + 1e-5 * farthest;
    bound = laneSqrt(gap2) - 1.7320509 * grow - f.shrink * farthest - 1e-5 * (farthest + f.largest);
    const T wedgeReach = (f.largest + (f.widening + f.spread) * farthest) * (1.0 + 1e-5) + f.pad + 1e-5 * farthest;
    const auto offWedge = laneAbs(offset) - extent > wedgeReach;
    // The apex in the ball, or figures that are not finite.
    const auto apexIn = laneNot(distance > reach);
    // cos(angle to the middle) >= cos(angle + spanned), in cosines; or the
    // two angles past a right angle.
    const T sinSpanned = reach / distance;
    const T cosSpanned = laneSqrt(laneMax(T{}, 1.0 - sinSpanned * sinSpanned));
    const auto pastRight = f.cosAngle * sinSpanned + f.sinAngle * cosSpanned <= 0.0;
    const auto inCone = along / distance >= f.cosAngle * cosSpanned - f.sinAngle * sinSpanned - 1e-9;
    return laneNot(offWedge) & (apexIn | pastRight | inCone);
}

// Whether a sphere's centre lies near enough the wedge's plane for a ray of
// the bundle to meet it: within (r + K a)(1 + e) of the ray's line, a <= |L|,
// whose points at a up to |L| lie within spread |L| of the plane.
template <class T>
RT_LANE_INLINE auto centreNearWedge(const Figures& f, const T centre[3], T radiusSquared) {
    const T l[3] = {centre[0] - f.apex[0], centre[1] - f.apex[1], centre[2] - f.apex[2]};
    const T offset = f.normal[0] * l[0] + f.normal[1] * l[1] + f.normal[2] * l[2];
    const T distance = laneSqrt(l[0] * l[0] + l[1] * l[1] + l[2] * l[2]);
    const T reach = (laneSqrt(radiusSquared) + (f.widening + f.spread) * distance) * (1.0 + 1e-5) + f.pad +
                    1e-5 * distance;
    return laneNot(laneAbs(offset) > reach);
}

// out gains the shape index of each of the count members near the wedge;
// returns how many.
template <int N>
RT_LANE_INLINE std::int32_t keepNearWedge(const Figures& f, const SphereTree::Member* members, std::int32_t count,
                                          std::int32_t* out) {
    std::int32_t kept = 0;
#ifdef RT_SIMD_LANES
    if constexpr (N > 1) {
        using D = typename Lanes<N>::D;
        for (std::int32_t k = 0; k < count; k += N) {
            D centre[3], radiusSquared;
            for (int l = 0; l < N; ++l) {
                const SphereTree::Member& m = members[std::min(k + l, count - 1)];
                centre[0][l] = m.centre.x, centre[1][l] = m.centre.y, centre[2][l] = m.centre.z;
                radiusSquared[l] = m.radiusSquared;
            }
            const std::uint32_t near = laneBits<N>(centreNearWedge(f, centre, radiusSquared));
            for (int l = 0; l < N && k + l < count; ++l) {
                if ((near >> l & 1u) != 0) out[kept++] = members[k + l].index;
            }
        }
        return kept;
    }
#endif
    for (std::int32_t k = 0; k < count; ++k) {
        const SphereTree::Member& m = members[k];
        const double centre[3] = {m.centre.x, m.centre.y, m.centre.z};
        if (centreNearWedge(f, centre, static_cast<double>(m.radiusSquared))) out[kept++] = m.index;
    }
    return kept;
}

// A bit for each of the node's boxes that a ray of the bundle may reach,
// and each one's bound.
template <int N>
RT_LANE_INLINE std::uint32_t reachedBoxes(const Figures& f, const SphereTree::WideNode& node, double* bounds) {
    std::uint32_t bits = 0;
#ifdef RT_SIMD_LANES
    if constexpr (N > 1) {
        using L = Lanes<N>;
        for (int g = 0; g < 8; g += N) {
            typename L::D lo[3], hi[3];
            for (int c = 0; c < 3; ++c) {
                lo[c] = L::wide(L::load(node.lo[c] + g)) - f.apex[c];
                hi[c] = L::wide(L::load(node.hi[c] + g)) - f.apex[c];
            }
            typename L::D bound;
            const auto reached = boxReached(f, lo, hi, bound);
            std::memcpy(bounds + g, &bound, sizeof bound);
            bits |= laneBits<N>(reached) << g;
        }
        return bits & node.used;
    }
#endif
    for (int i = 0; i < 8; ++i) {
        if ((node.used >> i & 1u) == 0) continue;
        double lo[3], hi[3];
        for (int c = 0; c < 3; ++c) {
            lo[c] = static_cast<double>(node.lo[c][i]) - f.apex[c];
            hi[c] = static_cast<double>(node.hi[c][i]) - f.apex[c];
        }
        if (boxReached(f, lo, hi, bounds[i])) bits |= 1u << i;
    }
    return bits;
}

#if defined(RT_SIMD_LANES) && defined(RT_AVX2_COPIES)
RT_AVX2_FUNCTION std::uint32_t reachedBoxesAvx2(const Figures& f, const SphereTree::WideNode& node, double* bounds) {
    return reachedBoxes<4>(f, node, bounds);
}
RT_AVX2_FUNCTION std::int32_t keepNearWedgeAvx2(const Figures& f, const SphereTree::Member* members,
                                                std::int32_t count, std::int32_t* out) {
    return keepNearWedge<4>(f, members, count, out);
}
#endif

std::uint32_t reachedBoxesOf(const Figures& f, const SphereTree::WideNode& node, double* bounds) {
#if defined(RT_SIMD_LANES) && defined(RT_AVX2_COPIES)
    if (cpuHasAvx2()) return reachedBoxesAvx2(f, node, bounds);
#endif
    return reachedBoxes<BASE_LANES>(f, node, bounds);
}

std::int32_t keepNearWedgeOf(const Figures& f, const SphereTree::Member* members, std::int32_t count,
                             std::int32_t* out) {
#if defined(RT_SIMD_LANES) && defined(RT_AVX2_COPIES)
    if (cpuHasAvx2()) return keepNearWedgeAvx2(f, members, count, out);
#endif
    return keepNearWedge<BASE_LANES>(f, members, count, out);
}

}  // namespace

bool SphereTree::BundleWalk::fits(const Bundle& b) {
    return b.angle < 1.0471975 && b.shortest >= 0.25 && b.longest <= 1e4 && b.spread <= 1.0;
}

SphereTree::BundleWalk::BundleWalk(const SphereTree& tree, const Vector3& apex, const Bundle& bundle, double offset)
    : tree_(tree) {
    const float a[3] = {apex.x, apex.y, apex.z};
    for (int c = 0; c < 3; ++c) {
        f_.apex[c] = a[c];
        f_.axis[c] = bundle.axis[c];
        f_.normal[c] = bundle.normal[c];
    }
    f_.cosAngle = std::cos(bundle.angle);
    f_.sinAngle = std::sin(bundle.angle);
    f_.spread = bundle.spread;
    f_.widening = tree_ray::wideningOf(bundle.longest);
    f_.shrink = std::max(0.0, 1.0 - std::sqrt(bundle.shortest)) * (1.0 + 1e-5);
    f_.pad = 2.0 * tree_ray::roundingOf(bundle.longest) * tree.largest_ + offset;
    f_.largest = tree.largest_;
    if (tree.members_.empty()) return;
    if (!tree.wide_.empty()) {
        // The root's box is not tested: the apex lies in it far more often than not.
        stack_[depth_++] = {0, 0, -INFINITY};
        return;
    }
    const Box& box = tree.nodes_[0].box;
    double lo[3], hi[3];
    for (int c = 0; c < 3; ++c) {
        lo[c] = static_cast<double>(box.lo[c]) - f_.apex[c];
        hi[c] = static_cast<double>(box.hi[c]) - f_.apex[c];
    }
    double bound = 0.0;
    if (boxReached(f_, lo, hi, bound)) stack_[depth_++] = {0, tree.size(), bound};
}

std::int32_t SphereTree::BundleWalk::next(std::int32_t* out, std::int32_t room, double limit) {
    std::int32_t count = 0;
    while (depth_ > 0) {
        const Entry entry = stack_[depth_ - 1];
        if (entry.bound > limit) {
            --depth_;
            continue;
        }
        if (entry.count > 0) {
            if (count + entry.count > room) break;
            --depth_;
            count += keepNearWedgeOf(f_, &tree_.members_[static_cast<std::size_t>(entry.first)], entry.count,
                                     out + count);
            continue;
        }
        --depth_;
        const WideNode& node = tree_.wide_[static_cast<std::size_t>(entry.first)];
        double bounds[8];
        // Pushed the farthest first, so that the nearest comes off first.
        Entry found[8];
        int n = 0;
        for (std::uint32_t bits = reachedBoxesOf(f_, node, bounds); bits != 0; bits &= bits - 1) {
            const int i = __builtin_ctz(bits);
            const Entry child{node.first[i], node.count[i], bounds[i]};
            int k = n++;
            for (; k > 0 && found[k - 1].bound < child.bound; --k) found[k] = found[k - 1];
            found[k] = child;
        }
        for (int k = 0; k < n; ++k) stack_[depth_++] = found[k];
    }
    return count;
}
