// The sphere tree's queries: a ray walks the wide nodes, testing a node's
// eight boxes together, eight lanes at a time with AVX2 or four with SSE2.
#include <cstring>

#include "geometry/sphere.h"
#include "render/fast/hit.h"
#include "render/fast/lanes.h"
#include "render/fast/sphere_scan_lanes.h"
#include "render/fast/sphere_tree.h"
#include "render/fast/tree_ray.h"

using tree_ray::TreeRay;

namespace {

#ifndef RT_LANE_INLINE
#define RT_LANE_INLINE inline __attribute__((always_inline))
#endif

// A visit pops one entry and pushes at most eight, once a level.
constexpr std::int32_t STACK = 8 * (SphereTree::MAX_DEPTH + 2);

struct Walk {
    const SphereTree::WideNode* wide;
    const SphereTree::Member* members;
    const SphereScan* scan;
    float largest;
};

// A bit for each of the node's boxes that test(lo, hi, first) passes, the
// boxes taken from the ray's origin, N lanes at a time from box `first`
// (or one at a time).
template <int N, class Test>
RT_LANE_INLINE std::uint32_t passedBoxes(const SphereTree::WideNode& node, const TreeRay& r, Test&& test) {
#ifdef RT_SIMD_LANES
    if constexpr (N > 1) {
        using L = Lanes<N>;
        std::uint32_t bits = 0;
        for (int g = 0; g < 8; g += N) {
            typename L::F lo[3], hi[3];
            for (int c = 0; c < 3; ++c) {
                lo[c] = L::load(node.lo[c] + g) - r.origin[c];
                hi[c] = L::load(node.hi[c] + g) - r.origin[c];
            }
            const typename L::M reached = test(lo, hi, g);
#if defined(__SSE2__)
            for (int q = 0; q < N; q += 4) {
                __m128i quarter;
                std::memcpy(&quarter, reinterpret_cast<const char*>(&reached) + q * sizeof(float), sizeof quarter);
                bits |= static_cast<std::uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(quarter))) << (g + q);
            }
#else
            for (int l = 0; l < N; ++l) bits |= (reached[l] != 0 ? 1u : 0u) << (g + l);
#endif
        }
        return bits & node.used;
    }
#endif
    std::uint32_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        if ((node.used >> i & 1u) == 0) continue;
        float lo[3], hi[3];
        for (int c = 0; c < 3; ++c) {
            lo[c] = node.lo[c][i] - r.origin[c];
            hi[c] = node.hi[c][i] - r.origin[c];
        }
        if (test(lo, hi, i)) bits |= 1u << i;
    }
    return bits;
}

// Which of the node's boxes the ray may reach within limit, a bit each, and
// each one's bound: lane by lane the one-box test, so the same answers.
template <int N>
RT_LANE_INLINE std::uint32_t reachedChildren(const SphereTree::WideNode& node, const TreeRay& r, float largest,
                                            float limit, float* bounds) {
    // Always inlined, so that it is built for the vector code's CPU.
    return passedBoxes<N>(node, r, [&](const auto* lo, const auto* hi, int first) __attribute__((always_inline)) {
        auto bound = lo[0];
        const auto reached = tree_ray::reaches(lo, hi, r, largest, limit, bound);
        std::memcpy(bounds + first, &bound, sizeof bound);
        return reached;
    });
}

// Which of the node's boxes a query within a fixed limit may reach.
template <int N>
RT_LANE_INLINE std::uint32_t reachedWithin(const SphereTree::WideNode& node, const TreeRay& r,
                                           const tree_ray::WithinBox& w) {
    return passedBoxes<N>(node, r, [&](const auto* lo, const auto* hi, int) __attribute__((always_inline)) {
        return tree_ray::reachesWithin(lo, hi, r, w);
    });
}

// hit gains members begin to end - 1 but those left out: in vector registers
// when none is, in the walk's own lanes.
template <int N>
RT_LANE_INLINE void addMembers(const Walk& w, std::int32_t begin, std::int32_t end, const Ray& ray, Hit& hit,
                               const std::uint8_t* leaveOut) {
    if (leaveOut == nullptr) {
#ifdef RT_SIMD_LANES
        if constexpr (N > 1) return scan_lanes::addNearest<N>(w.scan->columns(), begin, end, ray, hit);
#endif
        return w.scan->addNearest(ray, hit, begin, end);
    }
    for (std::int32_t m = begin; m < end; ++m) {
        const SphereTree::Member& member = w.members[m];
        if (leaveOut[member.index] == 0) {
            keepNearer(hit, sphereDistance(member.centre, member.radiusSquared, ray), member.index);
        }
    }
}

// Whether one of members begin to end - 1 is met within maxDistance.
template <int N>
RT_LANE_INLINE bool anyMemberWithin(const Walk& w, std::int32_t begin, std::int32_t end, const Ray& ray,
                                    float maxDistance) {
#ifdef RT_SIMD_LANES
    if constexpr (N > 1) return scan_lanes::anyWithin<N>(w.scan->columns(), begin, end, ray, maxDistance);
#endif
    return w.scan->anyWithin(ray, maxDistance, begin, end);
}

struct Entry {
    std::int32_t first;  // a wide node, or a leaf's first member
    std::int32_t count;  // 0 for a wide node
    float bound;
};

// From the root's node down, the nearer boxes first, passing over those
// whose bound exceeds the nearest hit so far.
template <int N>
RT_LANE_INLINE void walkNearest(const Walk& w, const TreeRay& r, const Ray& ray, Hit& hit,
                                const std::uint8_t* leaveOut) {
    Entry stack[STACK];
    std::int32_t depth = 0;
    stack[depth++] = {0, 0, -INFINITY};
    while (depth > 0) {
        const Entry e = stack[--depth];
        if (e.bound > hit.distance) continue;
        if (e.count > 0) {
            addMembers<N>(w, e.first, e.first + e.count, ray, hit, leaveOut);
            continue;
        }
        const SphereTree::WideNode& node = w.wide[e.first];
        float bounds[8];
        std::uint32_t bits = reachedChildren<N>(node, r, w.largest, hit.distance, bounds);
        // Pushed the farthest first, so that the nearest comes off first.
        Entry found[8];
        int n = 0;
        for (; bits != 0; bits &= bits - 1) {
            const int i = __builtin_ctz(bits);
            Entry entry{node.first[i], node.count[i], bounds[i]};
            int k = n++;
            for (; k > 0 && found[k - 1].bound < entry.bound; --k) found[k] = found[k - 1];
            found[k] = entry;
        }
        for (int k = 0; k < n; ++k) stack[depth++] = found[k];
    }
}

template <int N>
RT_LANE_INLINE bool walkOccludes(const Walk& w, const TreeRay& r, const Ray& ray, float maxDistance) {
    std::int32_t stack[STACK];
    std::int32_t depth = 0;
    stack[depth++] = 0;
    float bounds[8];
    tree_ray::WithinBox within;
    const bool simple = tree_ray::prepareWithin(r, w.largest, maxDistance, within);
    while (depth > 0) {
        const SphereTree::WideNode& node = w.wide[stack[--depth]];
        const std::uint32_t reached = simple ? reachedWithin<N>(node, r, within)
                                             : reachedChildren<N>(node, r, w.largest, maxDistance, bounds);
        for (std::uint32_t bits = reached; bits != 0; bits &= bits - 1) {
            const int i = __builtin_ctz(bits);
            if (node.count[i] == 0) {
                stack[depth++] = node.first[i];
            } else if (anyMemberWithin<N>(w, node.first[i], node.first[i] + node.count[i], ray, maxDistance)) {
                return true;
            }
        }
    }
    return false;
}

#if defined(RT_SIMD_LANES) && defined(RT_AVX2_COPIES)
RT_AVX2_FUNCTION void walkNearestAvx2(const Walk& w, const TreeRay& r, const Ray& ray, Hit& hit,
                                      const std::uint8_t* leaveOut) {
    walkNearest<8>(w, r, ray, hit, leaveOut);
}
RT_AVX2_FUNCTION bool walkOccludesAvx2(const Walk& w, const TreeRay& r, const Ray& ray, float maxDistance) {
    return walkOccludes<8>(w, r, ray, maxDistance);
}
#endif

}  // namespace

void SphereTree::addNearest(const Ray& ray, Hit& hit, const std::uint8_t* leaveOut) const {
    if (members_.empty()) return;
    const Walk w{wide_.data(), members_.data(), &scan_, largest_};
    TreeRay r;
    if (!tree_ray::prepare(ray, r)) {
        if (leaveOut == nullptr) return addNearestAhead(ray, hit);
        return addMembers<1>(w, 0, size(), ray, hit, leaveOut);
    }
    // The root's box is not tested: a ray starts inside it far more often
    // than not, and its children are tested next anyway.
    if (wide_.empty()) {
        float bound = 0.0f;
        if (tree_ray::reachesBox(nodes_[0].box, r, largest_, hit.distance, bound)) {
            addMembers<1>(w, 0, size(), ray, hit, leaveOut);
        }
        return;
    }
#if defined(RT_SIMD_LANES) && defined(RT_AVX2_COPIES)
    if (cpuHasAvx2()) return walkNearestAvx2(w, r, ray, hit, leaveOut);
#endif
    walkNearest<BASE_LANES>(w, r, ray, hit, leaveOut);
}

bool SphereTree::occludes(const Ray& ray, float maxDistance) const {
    if (members_.empty()) return false;
    TreeRay r;
    if (!tree_ray::prepare(ray, r)) return scan_.anyWithin(ray, maxDistance, 0, scan_.size());
    if (wide_.empty()) return scan_.anyWithin(ray, maxDistance, 0, scan_.size());
    const Walk w{wide_.data(), members_.data(), &scan_, largest_};
#if defined(RT_SIMD_LANES) && defined(RT_AVX2_COPIES)
    if (cpuHasAvx2()) return walkOccludesAvx2(w, r, ray, maxDistance);
#endif
    return walkOccludes<BASE_LANES>(w, r, ray, maxDistance);
}
