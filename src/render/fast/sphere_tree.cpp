#include "render/fast/sphere_tree.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/fast/hit.h"
#include "render/fast/tree_ray.h"

using tree_ray::FARTHEST;
using tree_ray::prepare;
using tree_ray::TreeRay;

namespace {

constexpr std::int32_t STACK = SphereTree::MAX_DEPTH + 4;
// Inside the noise cone, a node of this many spheres is scanned whole rather
// than opened: its boxes cost more than the spheres they would save.
constexpr std::int32_t SCAN_WHOLE = 256;
// The most spheres scanned as one run of ranges.
constexpr std::int32_t MERGED_SCAN = 1024;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Where a sphere may still be nearer than the best hit T for a ray the boxes
// cannot bound, whose sphere test is mostly its own rounding. With L the
// centre's offset (a along the unit direction u, b from the line), the test
// rounds tca within 2^-23 of s a (and 2^-51 s |L|), |L|² within 2^-23, and
// d2 within 2^-24 of |D| <= max(|L|², tca²); so t = tca - sqrt(r² - d2) <= T
// needs |L|² (1 - 2e-6) <= r² + 2 s a T' + c s² a² + 1e-9 (|L|² + T'²), with
// T' = T (1 + 1e-6) + 1e-30 and c = 6e-8 > 2^-24 (1 + 3e-7), for s² up to
// REACH: b² (1 - 2e-6) <= r² + 2 s a T' + (c s² - 1 + 2e-6) a² + 1e-9 (...).
// Below s² of 1.6e7 that is a ball, above it a cone that widens with s.
struct NoiseCone {
    static constexpr double REACH = 1e10;
    double unit[3];
    double length;
    double spread;  // c s² - 1 + 2e-6

    NoiseCone(const float d[3], double s2) : length(std::sqrt(s2)), spread(6e-8 * s2 - 1.0 + 2e-6) {
        for (int c = 0; c < 3; ++c) unit[c] = d[c] / length;
    }

    // A box, lo to hi from the origin, whose centres lie in the ball about
    // its middle m of radius rho: a within |u·m| ± rho, b at least the
    // distance of m from the line less rho.
    bool reaches(const float lo[3], const float hi[3], float largest, float limit) const {
        double middle2 = 0.0, along = 0.0, rho2 = 0.0;
        for (int c = 0; c < 3; ++c) {
            const double m = 0.5 * (static_cast<double>(lo[c]) + hi[c]);
            const double h = 0.5 * (static_cast<double>(hi[c]) - lo[c]);
            middle2 += m * m;
            along += unit[c] * m;
            rho2 += h * h;
        }
        const double rho = std::sqrt(rho2);
        const double most = std::fabs(along) + rho;
        const double least = std::max(0.0, std::fabs(along) - rho);
        const double across = std::max(0.0, std::sqrt(std::max(0.0, middle2 - along * along)) - rho);
        const double t = static_cast<double>(limit) * (1.0 + 1e-6) + 1e-30;
        const double r = largest;
        const double far = std::sqrt(middle2) + rho;
        const double room = r * r + 2.0 * length * most * t * (1.0 + 1e-6) + spread * (spread > 0.0 ? most * most : least * least) +
                            1e-6 * far * far + 1e-9 * t * t + 1e-30;
        return !(across * across * (1.0 - 2e-6) > room);
    }
};

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
    if (boxCost() > 2.0 * builtCost_) {
        build();
    } else {
        refitWide();
    }
    fillScan();
}

std::size_t SphereTree::bytes() const {
    return nodes_.capacity() * sizeof(Node) + members_.capacity() * sizeof(Member) +
           slot_.capacity() * sizeof(std::int32_t) + spans_.capacity() * sizeof(Span) +
           wide_.capacity() * sizeof(WideNode) + scan_.bytes();
}

void SphereTree::fillScan() {
    scan_.clear();
    for (const Member& m : members_) scan_.add(m.centre, m.radiusSquared, m.index);
    scan_.finish();
}

// For a ray the boxes cannot bound: only a sphere whose centre lies ahead of
// the origin (tca >= 0) can be met, so boxes wholly behind it are passed
// over and the rest scanned, a range of leaves at a time; so are boxes whose
// tca is too large for the test (below). A box that holds the origin has a
// point ahead, so it is never passed over; one that does not is passed over
// only when its farthest point lies behind (or its nearest beyond reach) by
// more than 1e-5 of the figures, which dwarfs their rounding.
void SphereTree::addNearestAhead(const Ray& ray, Hit& hit) const {
    const float o[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    float d[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    bool near = true;
    bool finite = true;
    float longest = 0.0f;
    for (int c = 0; c < 3; ++c) {
        near = near && std::fabs(o[c]) <= FARTHEST;
        finite = finite && std::isfinite(d[c]);
        longest = std::max(longest, std::fabs(d[c]));
    }
    if (!near) return scan_.addNearestLong(ray, hit, 0, scan_.size());
    // From a finite origin along a direction that is not, tca is infinite or
    // NaN: below 0, or a distance of inf - inf or NaN, never accepted.
    if (!finite) return;
    // A centre whose tca exceeds 1.92e19 is never met either: d2, |L|² - tca²
    // with |L|² below 1.2e37 here, rounds to -infinity, and the distance
    // with it. The direction is scaled by a power of two to keep the box
    // figures finite, which scales them, and that reach, exactly.
    float reach = 1.92e19f;
    const double s2 = static_cast<double>(d[0]) * d[0] + static_cast<double>(d[1]) * d[1] + static_cast<double>(d[2]) * d[2];
    const bool coned = s2 <= NoiseCone::REACH;
    const NoiseCone cone(d, s2);
    if (longest > FARTHEST) {
        const float scale = std::ldexp(1.0f, -(std::ilogb(longest) - 58));
        for (float& c : d) c *= scale;
        reach *= scale;
    }
    std::int32_t stack[STACK];
    std::int32_t depth = 0;
    std::int32_t at = 0;
    // Ranges to scan that follow on from one another are scanned as one:
    // leaves met in order lie side by side, and a scan's setting up costs
    // as much as a few dozen spheres. Scanning later only leaves the hit
    // farther meanwhile, which opens more boxes, never fewer.
    std::int32_t pendingBegin = 0;
    std::int32_t pendingEnd = 0;
    const auto scan = [&](std::int32_t begin, std::int32_t end) {
        if (begin == pendingEnd && end - pendingBegin <= MERGED_SCAN) {
            pendingEnd = end;
            return;
        }
        scan_.addNearestLong(ray, hit, pendingBegin, pendingEnd);
        pendingBegin = begin;
        pendingEnd = end;
    };
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
        bool open = farthest >= -slack && nearest <= reach + slack;
        if (open && coned) {
            float lo[3], hi[3];
            for (int c = 0; c < 3; ++c) lo[c] = node.box.lo[c] - o[c], hi[c] = node.box.hi[c] - o[c];
            open = cone.reaches(lo, hi, largest_, hit.distance);
        }
        const Span& span = spans_[static_cast<std::size_t>(at)];
        // At distance 0 only a tie with an earlier shape is nearer.
        if (hit.distance == 0.0f && span.least > hit.index) open = false;
        if (open) {
            const bool whole = coned ? span.end - span.begin <= SCAN_WHOLE : nearest > slack && farthest < reach - slack;
            if (whole || node.count > 0) {
                scan(span.begin, span.end);
            } else {
                stack[depth++] = node.start;
                at += 1;
                continue;
            }
        }
        if (depth == 0) break;
        at = stack[--depth];
    }
    scan_.addNearestLong(ray, hit, pendingBegin, pendingEnd);
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
    buildWide();
}

// Splits at the median of the centres along the widest spread of them; the
// boxes are filled in afterwards by refit.
std::int32_t SphereTree::buildNode(std::int32_t begin, std::int32_t end, std::int32_t depth) {
    const auto at = static_cast<std::int32_t>(nodes_.size());
    nodes_.push_back(Node{Box{}, begin, end - begin});
    spans_.push_back({begin, end, INT32_MAX});
    if (end - begin <= LEAF_SIZE || depth >= MAX_DEPTH) {
        for (std::int32_t m = begin; m < end; ++m) {
            spans_.back().least = std::min(spans_.back().least, members_[static_cast<std::size_t>(m)].index);
        }
        return at;
    }
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
    const std::int32_t first = buildNode(begin, middle, depth + 1);
    const std::int32_t second = buildNode(middle, end, depth + 1);
    nodes_[static_cast<std::size_t>(at)].start = second;
    nodes_[static_cast<std::size_t>(at)].count = 0;
    spans_[static_cast<std::size_t>(at)].least = std::min(spans_[static_cast<std::size_t>(first)].least,
                                                          spans_[static_cast<std::size_t>(second)].least);
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

// Each wide node takes a binary node's two children and opens the inner one
// of largest surface until it has eight, or only leaves.
void SphereTree::buildWide() {
    wide_.clear();
    if (nodes_.empty() || nodes_[0].count > 0) return;
    wide_.reserve(nodes_.size() / 4 + 1);
    buildWideNode(0);
    refitWide();
}

std::int32_t SphereTree::buildWideNode(std::int32_t binary) {
    const auto surface = [this](std::int32_t k) {
        const Box& b = nodes_[static_cast<std::size_t>(k)].box;
        const double x = static_cast<double>(b.hi[0]) - b.lo[0];
        const double y = static_cast<double>(b.hi[1]) - b.lo[1];
        const double z = static_cast<double>(b.hi[2]) - b.lo[2];
        return x * y + y * z + z * x;
    };
    std::int32_t slots[8] = {binary + 1, nodes_[static_cast<std::size_t>(binary)].start};
    int n = 2;
    while (n < 8) {
        int open = -1;
        for (int i = 0; i < n; ++i) {
            if (nodes_[static_cast<std::size_t>(slots[i])].count == 0 &&
                (open < 0 || surface(slots[i]) > surface(slots[open]))) {
                open = i;
            }
        }
        if (open < 0) break;
        const std::int32_t inner = slots[open];
        slots[open] = inner + 1;
        slots[n++] = nodes_[static_cast<std::size_t>(inner)].start;
    }
    const auto at = static_cast<std::int32_t>(wide_.size());
    wide_.push_back(WideNode{});
    WideNode node{};
    for (int i = 0; i < n; ++i) {
        const Node& child = nodes_[static_cast<std::size_t>(slots[i])];
        node.from[i] = slots[i];
        node.count[i] = child.count;
        node.first[i] = child.count > 0 ? child.start : buildWideNode(slots[i]);
        node.used |= 1u << i;
    }
    wide_[static_cast<std::size_t>(at)] = node;
    return at;
}

// The wide boxes are the binary ones; the eight of a node stay finite, a
// missing child's at the origin, so that no test of them overflows.
void SphereTree::refitWide() {
    for (WideNode& node : wide_) {
        for (int i = 0; i < 8; ++i) {
            const bool used = (node.used >> i & 1u) != 0;
            const Box& box = nodes_[static_cast<std::size_t>(used ? node.from[i] : 0)].box;
            for (int c = 0; c < 3; ++c) {
                node.lo[c][i] = used ? box.lo[c] : 0.0f;
                node.hi[c][i] = used ? box.hi[c] : 0.0f;
            }
        }
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
