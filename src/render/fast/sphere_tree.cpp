#include "render/fast/sphere_tree.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/fast/hit.h"

namespace {

constexpr std::int32_t LEAF_SIZE = 8;
constexpr std::int32_t MAX_DEPTH = 60;  // a deeper range stays a leaf, so a query's stack never overflows
constexpr std::int32_t STACK = MAX_DEPTH + 4;
// Far enough in that no figure of a box or of a query overflows a float.
constexpr float FARTHEST = 1e18f;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A ray as the boxes are tested against it: its unit direction u, the
// reciprocals of u's components (a zero taken as 1e-30, so that no product
// is 0 times infinity), the cone's widening K per unit of distance along u,
// and the figures of the two lower bounds on a hit's distance below.
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

// Beyond these squared lengths the cone's widening holds everything ahead
// of the origin, and then the sphere test's distance is rounding noise.
constexpr double CONE_REACH = 1e4;
constexpr double BALL_REACH = 8e6;

// K, the cone's widening per unit of distance, for directions of squared
// length s2, and e, the rounding of the sphere test relative to |L|².
double roundingOf(double s2) { return 1e-6 * std::max(1.0, s2); }
double wideningOf(double s2) {
    const double e = roundingOf(s2);
    return std::sqrt((std::max(0.0, s2 - 1.0) + 2.0 * e + 4e-6) * (1.0 + 2.0 * e)) * (1.0 + 1e-5);
}

bool prepare(const Ray& ray, TreeRay& r) {
    const double d[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    const double s2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    if (!(s2 >= 0.25 && s2 <= BALL_REACH)) return false;
    const float o[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    for (float c : o) {
        if (!(std::fabs(c) <= FARTHEST)) return false;
    }
    const double s = std::sqrt(s2);
    for (int c = 0; c < 3; ++c) {
        r.origin[c] = o[c];
        r.unit[c] = static_cast<float>(d[c] / s);
        r.inverse[c] = 1.0f / (r.unit[c] != 0.0f ? r.unit[c] : 1e-30f);
    }
    const double e = roundingOf(s2);
    const double cone = std::max(0.0, s2 - 1.0);
    // The widening, rounded up, with 4e-6 more under the root for the box
    // test's own rounding; the slope of the distance bound rounded down.
    const double k = wideningOf(s2);
    r.widening = static_cast<float>(k);
    r.slant = static_cast<float>(std::sqrt(1.0 + k * k) * (1.0 + 1e-5));
    r.wide = k > 0.05;
    r.shrink = static_cast<float>(std::max(0.0, 1.0 - s) * (1.0 + 1e-5));
    const double steep = s - std::sqrt(cone + e) - 2e-7 * s;
    r.steep = static_cast<float>(std::max(0.0, steep) * (1.0 - 1e-5));
    r.spill = 1.0f - r.steep;
    r.rounding = static_cast<float>(e);
    r.twiceLength = static_cast<float>(2.0 * s * (1.0 + 1e-5));
    r.far = s2 > CONE_REACH;
    r.ball = s2 >= 2.0;
    const double g = 1.0 - 1e-6 - 6.5e-8 * std::max(1.0, s2);
    r.ballScale = static_cast<float>(s / g * (1.0 + 1e-6));
    r.ballInverse = static_cast<float>(1.0 / g * (1.0 + 1e-6));
    return true;
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
inline bool inBall(const float lo[3], const float hi[3], const TreeRay& r, float largest, float limit) {
    const float rho = limit * r.ballScale;
    if (!(rho <= FARTHEST)) return true;
    float gap2 = 0.0f;
    float size = 0.0f;
    for (int c = 0; c < 3; ++c) {
        const float p = rho * r.unit[c];
        const float gap = std::max(std::max(lo[c] - p, p - hi[c]), 0.0f);
        gap2 += gap * gap;
        size += std::fabs(lo[c]) + std::fabs(hi[c]);
    }
    const float reach = std::sqrt(largest * largest * r.ballInverse + rho * rho) * 1.00001f + 1e-5f * (rho + size);
    return gap2 <= reach * reach;
}

// For a ray past the cone's reach: only a centre ahead of the origin (tca >=
// 0) can be met, so a box is passed over when it lies wholly behind by more
// than 1e-5 of its figures, or outside the ball. `bound` is the wide-cone
// bound alone, (|L|² - r²) / 2 s a at least, its slack the noise of d2.
inline bool reachesFar(const float lo[3], const float hi[3], const TreeRay& r, float largest, float limit,
                       float& bound) {
    float farthest = 0.0f;
    float size = 0.0f;
    float gap2 = 0.0f;
    for (int c = 0; c < 3; ++c) {
        farthest += std::max(r.unit[c] * lo[c], r.unit[c] * hi[c]);
        size += std::fabs(lo[c]) + std::fabs(hi[c]);
        const float gap = std::max(std::max(lo[c], -hi[c]), 0.0f);
        gap2 += gap * gap;
    }
    if (farthest < -1e-5f * size) return false;
    const float reach = std::max(farthest, 0.0f) + 1e-5f * size;
    bound = (gap2 * (1.0f - 1e-5f) - largest * largest * r.ballInverse) / (r.ballScale * 2.0f * reach * 1.00001f);
    return !(bound > limit) && inBall(lo, hi, r, largest, limit);
}

// Whether a sphere (of radius at most `largest`) in box may give the ray a
// hit at a distance of at most limit; `bound` is then a distance no such hit
// is below: where the ray enters the grown box, less (1 - s) times the
// farthest distance when s < 1; or (s - K) a - r, which the sphere test's
// distance s a - sqrt(r² - d2) cannot be below, at the nearest a of the box.
// A wide cone is also held against the ball about the box: a point within
// rho of the cone b <= K a + p lies within b <= K a + p + rho sqrt(1 + K²).
__attribute__((always_inline)) inline bool reaches(const SphereTree::Box& box, const TreeRay& r, float largest, float limit, float& bound) {
    float lo[3], hi[3];
    for (int c = 0; c < 3; ++c) {
        lo[c] = box.lo[c] - r.origin[c];
        hi[c] = box.hi[c] - r.origin[c];
    }
    if (r.far) return reachesFar(lo, hi, r, largest, limit, bound);
    float nearest = 0.0f;
    float farthest = 0.0f;
    for (int c = 0; c < 3; ++c) {
        nearest += std::min(r.unit[c] * lo[c], r.unit[c] * hi[c]);
        farthest += std::max(r.unit[c] * lo[c], r.unit[c] * hi[c]);
    }
    farthest = std::max(farthest, 0.0f);
    const float pad = 2.0f * r.rounding * largest;
    const float grow = r.widening * farthest + pad;
    float enter = -INFINITY;
    float leave = INFINITY;
    for (int c = 0; c < 3; ++c) {
        const float a = (lo[c] - grow) * r.inverse[c];
        const float b = (hi[c] + grow) * r.inverse[c];
        enter = std::max(enter, std::min(a, b));
        leave = std::min(leave, std::max(a, b));
    }
    const float slack = 1e-5f * (std::fabs(enter) + std::fabs(nearest) + farthest + largest);
    bound = std::max(enter - r.shrink * farthest, r.steep * nearest - r.spill * largest) - slack;
    if (r.wide && farthest > 0.0f) {
        // The test's distance is (|L|² - r²) / (s a + sqrt(r² - d2)), at least
        // (|L|² - r²) / (2 s a) with the origin outside the sphere; |L|² - r²
        // is at least the squared distance from the origin to the box.
        float gap2 = 0.0f;
        for (int c = 0; c < 3; ++c) {
            const float gap = std::max(std::max(lo[c], -hi[c]), 0.0f);
            gap2 += gap * gap;
        }
        const float wideBound = gap2 / (r.twiceLength * farthest) * (1.0f - 1e-5f) -
                                1e-5f * r.twiceLength * farthest - 4e-4f * largest - slack;
        bound = std::max(bound, wideBound);
    }
    if (!(enter <= leave && leave >= -slack && bound <= limit)) return false;
    if (!r.wide) return true;
    if (r.ball && !inBall(lo, hi, r, largest, limit)) return false;
    float middle[3];
    float rho2 = 0.0f;
    float along = 0.0f;
    float distance2 = 0.0f;
    for (int c = 0; c < 3; ++c) {
        middle[c] = 0.5f * (lo[c] + hi[c]);
        const float half = 0.5f * (hi[c] - lo[c]);
        rho2 += half * half;
        along += r.unit[c] * middle[c];
        distance2 += middle[c] * middle[c];
    }
    // Rounded generously: 1e-5 of every figure is far above float rounding.
    const float reach = r.widening * along + pad + r.slant * std::sqrt(rho2) * 1.0001f + slack +
                        1e-5f * std::sqrt(distance2);
    if (reach < 0.0f) return false;
    const float off2 = distance2 - along * along;
    return off2 <= reach * reach * 1.0001f;
}

}  // namespace

bool SphereTree::holds(const ShapeRecord& record) {
    if (record.kind != ShapeRecord::Kind::Sphere) return false;
    const Vector3& c = record.vector;
    return std::fabs(c.x) <= FARTHEST && std::fabs(c.y) <= FARTHEST && std::fabs(c.z) <= FARTHEST &&
           record.scalar > 0.0f && record.scalar <= FARTHEST * FARTHEST && record.inverseRadius > 0.0f;
}

bool SphereTree::bounds(const Ray& ray) {
    TreeRay r;
    return prepare(ray, r);
}

SphereTree::Box SphereTree::boxOf(const Vector3& centre, float radiusSquared) {
    const double r = std::sqrt(static_cast<double>(radiusSquared)) * (1.0 + 4e-6);
    const float c[3] = {centre.x, centre.y, centre.z};
    Box box;
    for (int k = 0; k < 3; ++k) {
        box.lo[k] = std::nextafter(static_cast<float>(c[k] - r), -INFINITY);
        box.hi[k] = std::nextafter(static_cast<float>(c[k] + r), INFINITY);
    }
    return box;
}

void SphereTree::update(const ShapeRecord* records, std::int32_t count) {
    bool sameSpheres = static_cast<std::int32_t>(slot_.size()) == count;
    for (std::int32_t i = 0; sameSpheres && i < count; ++i) sameSpheres = holds(records[i]) == (slot_[i] >= 0);
    if (!sameSpheres) {
        slot_.assign(static_cast<std::size_t>(count), -1);
        members_.clear();
        for (std::int32_t i = 0; i < count; ++i) {
            if (holds(records[i])) members_.push_back({records[i].vector, records[i].scalar, i});
        }
        build();
        fillScan();
        return;
    }
    bool moved = false;
    for (Member& m : members_) {
        const ShapeRecord& record = records[m.index];
        if (sameBits(m.centre.x, record.vector.x) && sameBits(m.centre.y, record.vector.y) &&
            sameBits(m.centre.z, record.vector.z) && sameBits(m.radiusSquared, record.scalar)) {
            continue;
        }
        m.centre = record.vector;
        m.radiusSquared = record.scalar;
        moved = true;
    }
    if (!moved) return;
    refit();
    // Spheres that wandered far from their first neighbours make wide boxes.
    if (boxCost() > 2.0 * builtCost_) build();
    fillScan();
}

std::size_t SphereTree::bytes() const {
    return nodes_.capacity() * sizeof(Node) + members_.capacity() * sizeof(Member) +
           slot_.capacity() * sizeof(std::int32_t) + scan_.bytes();
}

void SphereTree::fillScan() {
    scan_.clear();
    for (const Member& m : members_) scan_.add(m.centre, m.radiusSquared, m.index);
    scan_.finish();
}

// For a ray the boxes cannot bound: only a sphere whose centre lies ahead of
// the origin (tca >= 0) can be met, so boxes wholly behind it are passed
// over and the rest scanned, a range of leaves at a time. A box that holds
// the origin has a point ahead, so it is never passed over; one that does
// not is passed over only when its farthest point lies behind by more than
// 1e-5 of the figures, which dwarfs their rounding.
void SphereTree::addNearestAhead(const Ray& ray, Hit& hit) const {
    const float o[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const float d[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    bool finite = true;
    for (int c = 0; c < 3; ++c) finite = finite && std::fabs(o[c]) <= FARTHEST && std::fabs(d[c]) <= FARTHEST;
    if (!finite) return scan_.addNearest(ray, hit, 0, scan_.size());
    std::int32_t stack[STACK];
    std::int32_t depth = 0;
    std::int32_t at = 0;
    for (;;) {
        const Node& node = nodes_[static_cast<std::size_t>(at)];
        float nearest = 0.0f;
        float farthest = 0.0f;
        float size = 0.0f;
        for (int c = 0; c < 3; ++c) {
            const float lo = d[c] * (node.box.lo[c] - o[c]);
            const float hi = d[c] * (node.box.hi[c] - o[c]);
            nearest += std::min(lo, hi);
            farthest += std::max(lo, hi);
            size += std::fabs(lo) + std::fabs(hi);
        }
        const float slack = 1e-5f * size;
        if (farthest >= -slack) {
            if (nearest > slack || node.count > 0) {
                const Span& span = spans_[static_cast<std::size_t>(at)];
                scan_.addNearest(ray, hit, span.begin, span.end);
            } else {
                stack[depth++] = node.start;
                at += 1;
                continue;
            }
        }
        if (depth == 0) return;
        at = stack[--depth];
    }
}

void SphereTree::build() {
    ++builds_;
    nodes_.clear();
    spans_.clear();
    const auto n = members_.size();
    nodes_.reserve(n == 0 ? 0 : 2 * (n / LEAF_SIZE + 1));
    spans_.reserve(nodes_.capacity());
    if (n > 0) buildNode(0, static_cast<std::int32_t>(n), 0);
    for (std::size_t k = 0; k < n; ++k) slot_[static_cast<std::size_t>(members_[k].index)] = static_cast<std::int32_t>(k);
    refit();
    builtCost_ = boxCost();
}

// Splits at the median of the centres along the widest spread of them; the
// boxes are filled in afterwards by refit.
std::int32_t SphereTree::buildNode(std::int32_t begin, std::int32_t end, std::int32_t depth) {
    const auto at = static_cast<std::int32_t>(nodes_.size());
    nodes_.push_back(Node{Box{}, begin, end - begin});
    spans_.push_back({begin, end});
    if (end - begin <= LEAF_SIZE || depth >= MAX_DEPTH) return at;
    float lo[3] = {INFINITY, INFINITY, INFINITY};
    float hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (std::int32_t k = begin; k < end; ++k) {
        const Vector3& c = members_[static_cast<std::size_t>(k)].centre;
        const float v[3] = {c.x, c.y, c.z};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], v[a]);
            hi[a] = std::max(hi[a], v[a]);
        }
    }
    int axis = 0;
    for (int a = 1; a < 3; ++a) {
        if (hi[a] - lo[a] > hi[axis] - lo[axis]) axis = a;
    }
    const std::int32_t middle = begin + (end - begin) / 2;
    std::nth_element(members_.begin() + begin, members_.begin() + middle, members_.begin() + end,
                     [axis](const Member& a, const Member& b) { return (&a.centre.x)[axis] < (&b.centre.x)[axis]; });
    buildNode(begin, middle, depth + 1);
    const std::int32_t second = buildNode(middle, end, depth + 1);
    nodes_[static_cast<std::size_t>(at)].start = second;
    nodes_[static_cast<std::size_t>(at)].count = 0;
    return at;
}

// Children follow their parent, so one pass from the back sees them first.
void SphereTree::refit() {
    double largest = 0.0;
    for (const Member& m : members_) largest = std::max(largest, static_cast<double>(m.radiusSquared));
    largest_ = static_cast<float>(std::sqrt(largest) * (1.0 + 1e-5));
    for (std::size_t k = nodes_.size(); k-- > 0;) {
        Node& node = nodes_[k];
        Box box{{INFINITY, INFINITY, INFINITY}, {-INFINITY, -INFINITY, -INFINITY}};
        const auto take = [&box](const Box& part) {
            for (int a = 0; a < 3; ++a) {
                box.lo[a] = std::min(box.lo[a], part.lo[a]);
                box.hi[a] = std::max(box.hi[a], part.hi[a]);
            }
        };
        if (node.count > 0) {
            for (std::int32_t m = node.start; m < node.start + node.count; ++m) {
                const Member& member = members_[static_cast<std::size_t>(m)];
                take(boxOf(member.centre, member.radiusSquared));
            }
        } else {
            take(nodes_[k + 1].box);
            take(nodes_[static_cast<std::size_t>(node.start)].box);
        }
        node.box = box;
    }
}

// The summed surface of the boxes: what a ray's walk down the tree costs,
// roughly.
double SphereTree::boxCost() const {
    double cost = 0.0;
    for (const Node& node : nodes_) {
        const double x = static_cast<double>(node.box.hi[0]) - node.box.lo[0];
        const double y = static_cast<double>(node.box.hi[1]) - node.box.lo[1];
        const double z = static_cast<double>(node.box.hi[2]) - node.box.lo[2];
        cost += x * y + y * z + z * x;
    }
    return cost;
}

void SphereTree::addNearest(const Ray& ray, Hit& hit, const std::uint8_t* leaveOut) const {
    if (members_.empty()) return;
    const auto test = [&](const Member& m) {
        if (leaveOut == nullptr || leaveOut[m.index] == 0) {
            keepNearer(hit, sphereDistance(m.centre, m.radiusSquared, ray), m.index);
        }
    };
    TreeRay r;
    if (!prepare(ray, r)) {
        if (leaveOut == nullptr) {
            addNearestAhead(ray, hit);
        } else {
            for (const Member& m : members_) test(m);
        }
        return;
    }
    struct Entry {
        std::int32_t node;
        float bound;
    };
    Entry stack[STACK];
    std::int32_t depth = 0;
    float bound = 0.0f;
    if (!reaches(nodes_[0].box, r, largest_, hit.distance, bound)) return;
    std::int32_t at = 0;
    for (;;) {
        const Node& node = nodes_[static_cast<std::size_t>(at)];
        if (node.count > 0) {
            if (leaveOut == nullptr) {
                scan_.addNearest(ray, hit, node.start, node.start + node.count);
            } else {
                for (std::int32_t m = node.start; m < node.start + node.count; ++m) test(members_[static_cast<std::size_t>(m)]);
            }
        } else {
            std::int32_t near = at + 1;
            std::int32_t far = node.start;
            float nearBound = 0.0f;
            float farBound = 0.0f;
            const bool toNear = reaches(nodes_[static_cast<std::size_t>(near)].box, r, largest_, hit.distance, nearBound);
            const bool toFar = reaches(nodes_[static_cast<std::size_t>(far)].box, r, largest_, hit.distance, farBound);
            if (toNear && toFar) {
                if (farBound < nearBound) {
                    std::swap(near, far);
                    std::swap(nearBound, farBound);
                }
                stack[depth++] = {far, farBound};
                at = near;
                continue;
            }
            if (toNear || toFar) {
                at = toNear ? near : far;
                continue;
            }
        }
        // The next waiting box that may still hold a nearer hit.
        do {
            if (depth == 0) return;
            --depth;
        } while (stack[depth].bound > hit.distance);
        at = stack[depth].node;
    }
}

bool SphereTree::occludes(const Ray& ray, float maxDistance) const {
    if (members_.empty()) return false;
    TreeRay r;
    if (!prepare(ray, r)) return scan_.anyWithin(ray, maxDistance, 0, scan_.size());
    std::int32_t stack[STACK];
    std::int32_t depth = 0;
    float bound = 0.0f;
    if (!reaches(nodes_[0].box, r, largest_, maxDistance, bound)) return false;
    std::int32_t at = 0;
    for (;;) {
        const Node& node = nodes_[static_cast<std::size_t>(at)];
        if (node.count > 0) {
            if (scan_.anyWithin(ray, maxDistance, node.start, node.start + node.count)) return true;
        } else {
            const bool toNear = reaches(nodes_[static_cast<std::size_t>(at + 1)].box, r, largest_, maxDistance, bound);
            const bool toFar = reaches(nodes_[static_cast<std::size_t>(node.start)].box, r, largest_, maxDistance, bound);
            if (toNear && toFar) stack[depth++] = node.start;
            if (toNear || toFar) {
                at = toNear ? at + 1 : node.start;
                continue;
            }
        }
        if (depth == 0) return false;
        at = stack[--depth];
    }
}

SphereTree::BundleWalk::BundleWalk(const SphereTree& tree, const Vector3& apex, const double axis[3], double angle,
                                   double shortest, double longest)
    : tree_(tree), cosAngle_(std::cos(angle)), sinAngle_(std::sin(angle)) {
    const float a[3] = {apex.x, apex.y, apex.z};
    for (int c = 0; c < 3; ++c) {
        apex_[c] = a[c];
        axis_[c] = axis[c];
    }
    widening_ = wideningOf(longest);
    shrink_ = std::max(0.0, 1.0 - std::sqrt(shortest)) * (1.0 + 1e-5);
    pad_ = 2.0 * roundingOf(longest) * tree.largest_;
    double bound = 0.0;
    if (!tree.nodes_.empty() && reaches(tree.nodes_[0].box, bound)) stack_[depth_++] = {0, bound};
}

// A ray meets a sphere of the box only if it passes through the box grown
// by K times its farthest distance (and the pad), which lies in the ball
// about the box's middle of radius rho' = rho + sqrt(3) times that growth.
// A ray of the bundle passes through that ball only if the ball's middle lies
// within the bundle's angle plus the angle the ball spans, or the apex lies
// in it. The hit's distance is no less than the apex's distance from the
// grown box, less (1 - s) times the farthest distance; all in double, with
// 1e-9 of the cosine and 1e-5 of the figures, far above their rounding.
bool SphereTree::BundleWalk::reaches(const Box& box, double& bound) const {
    double middle[3];
    double rho2 = 0.0;
    double distance2 = 0.0;
    double along = 0.0;
    double gap2 = 0.0;
    for (int c = 0; c < 3; ++c) {
        const double lo = static_cast<double>(box.lo[c]) - apex_[c];
        const double hi = static_cast<double>(box.hi[c]) - apex_[c];
        middle[c] = 0.5 * (lo + hi);
        rho2 += 0.25 * (hi - lo) * (hi - lo);
        distance2 += middle[c] * middle[c];
        along += axis_[c] * middle[c];
        const double gap = std::max(std::max(lo, -hi), 0.0);
        gap2 += gap * gap;
    }
    const double distance = std::sqrt(distance2);
    const double rho = std::sqrt(rho2);
    const double farthest = distance + rho;
    const double grow = widening_ * farthest + pad_;
    const double reach = (rho + 1.7320509 * grow) * (1.0 + 1e-5) + 1e-5 * farthest;
    bound = std::sqrt(gap2) - 1.7320509 * grow - shrink_ * farthest - 1e-5 * (farthest + tree_.largest_);
    if (!(distance > reach)) return true;  // the apex in the ball, or figures that are not finite
    // cos(angle to the middle) >= cos(angle + spanned), in cosines.
    const double sinSpanned = reach / distance;
    const double cosSpanned = std::sqrt(std::max(0.0, 1.0 - sinSpanned * sinSpanned));
    if (cosAngle_ * sinSpanned + sinAngle_ * cosSpanned <= 0.0) return true;  // the two angles past a right angle
    return along / distance >= cosAngle_ * cosSpanned - sinAngle_ * sinSpanned - 1e-9;
}

std::int32_t SphereTree::BundleWalk::next(std::int32_t* out, std::int32_t room, float limit) {
    std::int32_t count = 0;
    while (depth_ > 0) {
        const Entry entry = stack_[depth_ - 1];
        if (entry.bound > limit) {
            --depth_;
            continue;
        }
        const Node& node = tree_.nodes_[static_cast<std::size_t>(entry.node)];
        if (node.count > 0) {
            if (count + node.count > room) break;
            --depth_;
            for (std::int32_t m = node.start; m < node.start + node.count; ++m) {
                out[count++] = tree_.members_[static_cast<std::size_t>(m)].index;
            }
            continue;
        }
        --depth_;
        std::int32_t near = entry.node + 1;
        std::int32_t far = node.start;
        double nearBound = 0.0;
        double farBound = 0.0;
        const bool toNear = reaches(tree_.nodes_[static_cast<std::size_t>(near)].box, nearBound);
        const bool toFar = reaches(tree_.nodes_[static_cast<std::size_t>(far)].box, farBound);
        if (toNear && toFar && farBound < nearBound) {
            std::swap(near, far);
            std::swap(nearBound, farBound);
        }
        // The nearer goes on top, to be taken first.
        if (toFar) stack_[depth_++] = {far, farBound};
        if (toNear) stack_[depth_++] = {near, nearBound};
    }
    return count;
}
