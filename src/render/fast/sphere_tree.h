// SphereTree: a bounding volume hierarchy over a frame's spheres, so that a
// ray meets the few spheres near it instead of all of them.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "math/ray.h"
#include "render/fast/shape_record.h"
#include "render/fast/sphere_scan.h"

struct Hit;

// A binary tree of boxes over the spheres of a frame's shapes, whose leaves
// hold a few spheres each, regrouped for queries into nodes of up to eight
// children whose boxes are tested together (sphere_tree_walk.cpp). A query
// tests only the spheres of the leaves whose boxes the ray may reach, each
// with the sphere test of the model, and keeps the least (distance, index)
// pair, as one scan in insertion order keeps it: the order in which the tree
// meets them changes no answer.
//
// When a box may be passed over. The model's sphere test is not the exact
// geometry: for a direction of length s it accepts a centre at distance a
// along the ray and b from it when b² <= r² + (s² - 1)a². Its float and
// double steps (the centre's offset, |L|², tca and d2 each rounded to float
// once) move that border by under 6e-7 (a² + b²) for s² <= 2, and under
// 4e-7 s² (a² + b²) beyond; call e = 1e-6 max(1, s²). An accepted centre
// then lies within (r + K a)(1 + e) of the ray's line, with
// K² = (max(0, s² - 1) + 2e + 4e-6)(1 + 2e): a cone about the ray that
// widens with distance, the 4e-6 keeping it at least 2e-3 wide. A box holds
// each sphere grown by 4e-6 of its radius, its corners rounded outwards; a
// ray tests each box grown by K times the farthest distance along the ray of
// any point in it (and 2e of the largest radius), and that test's float
// rounding (a few 1e-7 of those distances) is covered by the 2e-3.
//
// How near a hit in a box may be. Its distance is no less than each of:
// where the ray enters the grown box, less (1 - s) times the farthest
// distance when s < 1; (s - K') a - r with K'² = max(0, s² - 1) + e, at the
// box's nearest a; and, for wide cones, (|L|² - r²) / 2 s a, which
// s a - sqrt(r² - d2) cannot be below when the origin is outside the sphere.
// Each is lessened by 1e-5 of the figures it is made from, a hundred times
// their rounding; so a box whose bound exceeds the nearest hit so far holds
// no nearer one, and no tie.
//
// Longer rays, the ends of long chains of mirror rays whose lengths grow at
// every bounce, meet nearly every sphere ahead, at distances close to
// (|L|² - r²) / 2 s a: a sphere can then be nearer than a limit T only if
// its centre lies in a ball through the origin, about T s / g along the ray,
// g allowing for the test's rounding (see inBall). That ball narrows them
// for s² up to 8e6. Beyond it the distance is mostly the test's rounding,
// and rays with such directions (or a non-finite or very far origin, or
// s² below 0.25) test the spheres whose boxes lie ahead of their origin,
// up to s² of 1e10 only those within a cone whose width follows from that
// rounding (NoiseCone in sphere_tree.cpp).
// Spheres with a non-finite or very far centre, or a radius or squared
// radius at or below 0 or not finite, are not held: the caller tests those
// with the other shapes.
class SphereTree {
public:
    // Spheres the tree may hold: those whose boxes are finite.
    static bool holds(const ShapeRecord& record);

    // Brings the tree up to the shapes of this frame: built anew when the
    // set of spheres it holds changed, refitted when only their centres did
    // (and built anew when a refit has made its boxes much worse).
    void update(const ShapeRecord* records, std::int32_t count);

    std::int32_t size() const { return static_cast<std::int32_t>(members_.size()); }

    // hit gains the spheres' hits along ray; shapes with leaveOut[index] != 0
    // are left out (null: none).
    void addNearest(const Ray& ray, Hit& hit, const std::uint8_t* leaveOut) const;
    // Whether a sphere is met at a distance in [0, maxDistance).
    bool occludes(const Ray& ray, float maxDistance) const;

    // Whether the cone bounds this ray; the others test every sphere.
    static bool bounds(const Ray& ray);


    // Spheres a leaf holds at most: two groups of eight vector lanes, which
    // measured faster than one (fewer boxes to test) and than four.
    static constexpr std::int32_t LEAF_SIZE = 16;
    // A deeper range stays a leaf, so that a query's stack never overflows.
    static constexpr std::int32_t MAX_DEPTH = 60;

    // The tree's parts, for tests of its shape.
    struct Box {
        float lo[3];
        float hi[3];
    };
    struct Node {
        Box box;
        std::int32_t start;  // leaf: its first member; inner: the second child (the first follows the node)
        std::int32_t count;  // leaf: its number of members; inner: 0
    };
    // The same tree with up to eight children a node, from its binary
    // nodes' boxes, so that a ray tests them in one go.
    struct WideNode {
        float lo[3][8];
        float hi[3][8];
        std::int32_t first[8];  // a leaf's first member, or an inner child's wide node
        std::int32_t count[8];  // a leaf's number of members; 0: an inner child
        std::int32_t from[8];   // the binary node that gives the box
        std::uint32_t used;     // which of the eight there are
    };
    struct Member {
        Vector3 centre;
        float radiusSquared;
        std::int32_t index;  // of the shape in the frame
    };
    // The cone and the wedge that hold a bundle of rays from one point: the
    // directions lie within `angle` radians of the unit axis, have squared
    // lengths in [shortest, longest], and make angles whose sines are at most
    // `spread` with the plane through the apex whose unit normal is `normal`
    // (the rays of a column of pixels nearly lie in such a plane).
    struct Bundle {
        double axis[3];
        double angle;
        double shortest;
        double longest;
        double normal[3];
        double spread;
    };
    // The bundle of directionAt(k), k from 0 to count - 1 (count at least 1),
    // about the middle one's direction. Figures that are not finite come out
    // as NaN or infinite, and fail BundleWalk::fits.
    template <class DirectionAt>
    static Bundle bundleOf(std::int32_t count, DirectionAt directionAt);

    // The spheres that some ray of a bundle may meet, a few leaves at a time,
    // the nearer first, from the bundle's apex. next() fills `out` with up to
    // `room` shape indices (room at least a leaf's worth, LEAF_SIZE) and
    // returns how many, 0 when none are left; it passes over boxes and
    // spheres that can hold no hit nearer than `limit` for any of the rays.
    class BundleWalk {
    public:
        // Whether the walk takes this bundle: its angle below 60 degrees and
        // its squared lengths within [0.25, 1e4].
        static bool fits(const Bundle& bundle);
        // `offset`: how far the rays' lines may pass from lines through the
        // apex along the same directions (0 for rays from the apex).
        BundleWalk(const SphereTree& tree, const Vector3& apex, const Bundle& bundle, double offset = 0.0);
        std::int32_t next(std::int32_t* out, std::int32_t room, double limit);

        // What the box tests need of the bundle, in double.
        struct Figures {
            double apex[3];
            double axis[3];
            double cosAngle;  // of the bundle's angle, which is below a right angle
            double sinAngle;
            double widening;
            double shrink;
            double pad;
            double normal[3];
            double spread;
            double largest;
        };

    private:
        const SphereTree& tree_;
        Figures f_;
        // A wide node (count 0) or a leaf's members, and the least distance
        // a hit in its box may have.
        struct Entry {
            std::int32_t first;
            std::int32_t count;
            double bound;
        };
        // A visit pops one entry and pushes at most eight, once a level.
        Entry stack_[8 * (MAX_DEPTH + 2)];
        std::int32_t depth_ = 0;
    };

    const std::vector<Node>& nodes() const { return nodes_; }
    const std::vector<Member>& members() const { return members_; }
    const std::vector<WideNode>& wideNodes() const { return wide_; }
    // The box that holds a sphere, with the margin above.
    static Box boxOf(const Vector3& centre, float radiusSquared);
    std::int32_t builds() const { return builds_; }
    // The bytes the tree holds on the heap.
    std::size_t bytes() const;

private:
    void build();
    std::int32_t buildNode(std::int32_t begin, std::int32_t end, std::int32_t depth);
    void refit();
    void buildWide();
    std::int32_t buildWideNode(std::int32_t binary);
    void refitWide();

    void fillScan();
    void addNearestAhead(const Ray& ray, Hit& hit) const;
    double boxCost() const;

    std::vector<Node> nodes_;
    std::vector<Member> members_;  // in leaf order
    std::vector<WideNode> wide_;   // none when the root is a leaf
    std::vector<std::int32_t> slot_;  // shape index -> member, or -1
    struct Span {
        std::int32_t begin, end;
        std::int32_t least;  // the least shape index among them
    };
    std::vector<Span> spans_;  // by node: the range of its members
    SphereScan scan_;          // the members in leaf order, for rays the boxes cannot bound
    float largest_ = 0.0f;  // the largest radius, rounded up
    double builtCost_ = 0.0;
    std::int32_t builds_ = 0;
};

template <class DirectionAt>
SphereTree::Bundle SphereTree::bundleOf(std::int32_t count, DirectionAt directionAt) {
    Bundle b{};
    const auto wide = [&](std::int32_t k, double d[3]) {
        const Vector3& v = directionAt(k);
        d[0] = v.x, d[1] = v.y, d[2] = v.z;
    };
    double first[3], last[3];
    wide(count / 2, b.axis);
    const double length = std::sqrt(b.axis[0] * b.axis[0] + b.axis[1] * b.axis[1] + b.axis[2] * b.axis[2]);
    for (double& a : b.axis) a /= length;
    // The wedge's plane holds the axis and the line from the first direction
    // to the last, or, for one direction, the axis and a unit vector.
    wide(0, first);
    wide(count - 1, last);
    const double e[3] = {last[0] - first[0], last[1] - first[1], last[2] - first[2]};
    const auto cross = [&](const double v[3]) {
        b.normal[0] = b.axis[1] * v[2] - b.axis[2] * v[1];
        b.normal[1] = b.axis[2] * v[0] - b.axis[0] * v[2];
        b.normal[2] = b.axis[0] * v[1] - b.axis[1] * v[0];
        return b.normal[0] * b.normal[0] + b.normal[1] * b.normal[1] + b.normal[2] * b.normal[2];
    };
    double n2 = cross(e);
    if (!(n2 > 1e-24)) {
        int c = 0;
        for (int k = 1; k < 3; ++k) c = std::fabs(b.axis[k]) < std::fabs(b.axis[c]) ? k : c;
        double unit[3] = {0.0, 0.0, 0.0};
        unit[c] = 1.0;
        n2 = cross(unit);
    }
    for (double& n : b.normal) n /= std::sqrt(n2);
    // Least and most that keep a NaN, so that the bundle fails fits().
    const auto lesser = [](double v, double least) { return v < least || v != v ? v : least; };
    const auto greater = [](double v, double most) { return v > most || v != v ? v : most; };
    double least = 1.0;
    b.shortest = INFINITY;
    b.longest = 0.0;
    b.spread = 0.0;
    for (std::int32_t k = 0; k < count; ++k) {
        double d[3];
        wide(k, d);
        const double squared = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        const double root = std::sqrt(squared);
        least = lesser((b.axis[0] * d[0] + b.axis[1] * d[1] + b.axis[2] * d[2]) / root, least);
        b.spread = greater(std::fabs(b.normal[0] * d[0] + b.normal[1] * d[1] + b.normal[2] * d[2]) / root, b.spread);
        b.shortest = lesser(squared, b.shortest);
        b.longest = greater(squared, b.longest);
    }
    b.angle = std::acos(least) + 1e-6;
    // Far above the rounding of the double figures above.
    b.spread = b.spread * (1.0 + 1e-6) + 1e-9;
    return b;
}
