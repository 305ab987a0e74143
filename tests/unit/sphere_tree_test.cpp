// SphereTree: its shape (every sphere in one leaf, every box around its
// spheres with the margin), and its answers against one scan of every
// sphere, for rays of every length, grazing rays, ties and refits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "geometry/sphere.h"
#include "render/fast/hit.h"
#include "random_scene.h"
#include "render/fast/sphere_tree.h"
#include "render/fast/tree_ray.h"

namespace {

struct Field {
    std::vector<std::unique_ptr<Sphere>> spheres;
    std::vector<ShapeRecord> records;

    void refresh() {
        records.clear();
        for (const auto& s : spheres) records.push_back(ShapeRecord::of(s.get()));
    }
};

// n spheres in a 20-unit cube, with duplicates, tiny, huge and far ones,
// and a few the tree may not hold (radius 0, negative, NaN, infinite centre).
// With `plain`, no twins, tiny, huge, far or invalid spheres.
Field makeField(std::mt19937& random, int n, bool plain = false) {
    std::uniform_real_distribution<float> in(-10.0f, 10.0f);
    std::uniform_real_distribution<float> size(0.05f, 1.5f);
    Field f;
    f.spheres.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const int kind = plain ? 40 : static_cast<int>(random() % 40);
        Vector3 centre(in(random), in(random), in(random));
        float r = size(random);
        if (kind == 0 && k > 0) {
            const Sphere& twin = *f.spheres[random() % static_cast<unsigned>(k)];
            f.spheres.push_back(std::make_unique<Sphere>(twin.centre, twin.radius()));
            continue;
        }
        if (kind == 1) r = 1e-6f;
        if (kind == 2) r = 1e6f;
        if (kind == 3) centre = Vector3(1e6f, in(random), -1e6f);
        if (kind == 4) r = 0.0f;
        if (kind == 5) r = -1.0f;
        if (kind == 6) r = std::numeric_limits<float>::quiet_NaN();
        if (kind == 7) centre.x = std::numeric_limits<float>::infinity();
        f.spheres.push_back(std::make_unique<Sphere>(centre, r));
    }
    f.refresh();
    return f;
}

// A ray whose direction's length is s, as mirror rays off spheres have.
Ray makeRay(std::mt19937& random, float s) {
    std::uniform_real_distribution<float> in(-12.0f, 12.0f);
    Vector3 d = normalized(Vector3(in(random), in(random), in(random)));
    return Ray(Vector3(in(random), in(random), in(random)), d.scaled(s));
}

Hit scanAll(const Field& f, const Ray& ray, const std::uint8_t* leaveOut) {
    Hit hit = Hit::none();
    for (std::size_t i = 0; i < f.records.size(); ++i) {
        if (!SphereTree::holds(f.records[i]) || (leaveOut != nullptr && leaveOut[i] != 0)) continue;
        keepNearer(hit, f.records[i].intersect(ray), static_cast<std::int32_t>(i));
    }
    return hit;
}

// Whether the tree's nearest hit along ray is not one scan's.
bool scanOccludes(const Field& f, const Ray& ray, float maxDistance) {
    for (const ShapeRecord& r : f.records) {
        if (!SphereTree::holds(r)) continue;
        const float t = r.intersect(ray);
        if (t >= 0.0f && t < maxDistance) return true;
    }
    return false;
}

// The nearest hit, and whether something is met just within it and within
// its farthest hit's distance (each a limit at its edge).
bool nearestDiffers(const SphereTree& tree, const Field& f, const Ray& ray) {
    Hit got = Hit::none();
    tree.addNearest(ray, got, nullptr);
    const Hit want = scanAll(f, ray, nullptr);
    if (got.index != want.index || got.distance != want.distance) return true;
    float farthest = -1.0f;
    for (const ShapeRecord& r : f.records) {
        const float t = r.intersect(ray);
        if (SphereTree::holds(r) && t >= 0.0f) farthest = std::max(farthest, t);
    }
    for (const float limit : {want.distance, std::nextafter(want.distance, INFINITY), farthest,
                              std::nextafter(farthest, INFINITY)}) {
        if (tree.occludes(ray, limit) != scanOccludes(f, ray, limit)) return true;
    }
    return false;
}

// Every sphere the tree holds is in exactly one leaf, and every box holds
// the boxes of its spheres (grown by the stated margin) and of its children.
void expectWellFormed(const SphereTree& tree, const Field& f) {
    std::vector<int> seen(f.records.size(), 0);
    const auto& nodes = tree.nodes();
    const auto contains = [](const SphereTree::Box& outer, const SphereTree::Box& inner) {
        for (int a = 0; a < 3; ++a) {
            if (!(outer.lo[a] <= inner.lo[a] && inner.hi[a] <= outer.hi[a])) return false;
        }
        return true;
    };
    int badBoxes = 0;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const SphereTree::Node& node = nodes[k];
        if (node.count > 0) {
            for (std::int32_t m = node.start; m < node.start + node.count; ++m) {
                const SphereTree::Member& member = tree.members()[static_cast<std::size_t>(m)];
                ++seen[static_cast<std::size_t>(member.index)];
                const ShapeRecord& r = f.records[static_cast<std::size_t>(member.index)];
                const double radius = std::sqrt(static_cast<double>(r.scalar)) * (1.0 + 4e-6);
                const float c[3] = {r.vector.x, r.vector.y, r.vector.z};
                for (int a = 0; a < 3; ++a) {
                    badBoxes += !(node.box.lo[a] <= c[a] - radius && c[a] + radius <= node.box.hi[a]);
                }
            }
        } else {
            badBoxes += !contains(node.box, nodes[k + 1].box);
            badBoxes += !contains(node.box, nodes[static_cast<std::size_t>(node.start)].box);
        }
    }
    EXPECT_EQ(badBoxes, 0);
    for (std::size_t i = 0; i < f.records.size(); ++i) {
        EXPECT_EQ(seen[i], SphereTree::holds(f.records[i]) ? 1 : 0) << "sphere " << i;
    }
}

// The tree against one scan of every sphere, for many rays of lengths from
// 0.6 to 300 (past what the cone bounds) and 2,000 (where only the ball
// does) to 2,900 (past that), 1e17 to 1e30 (where only centres near the
// origin's plane can be met) and infinite, half of them leaving out a set.
void expectSameAnswers(const SphereTree& tree, const Field& f, std::mt19937& random, int rays) {
    std::vector<std::uint8_t> leaveOut(f.records.size());
    for (auto& b : leaveOut) b = random() % 3 == 0;
    static constexpr float lengths[] = {1.0f, 1.0f, 1.0f, 1.0000001f, 0.6f, 1.001f, 1.05f, 1.415f, 3.0f, 40.0f, 300.0f, 2000.0f, 2900.0f, 1e17f, 1e19f, 1e30f, INFINITY};
    int differing = 0;
    for (int k = 0; k < rays; ++k) {
        const Ray ray = makeRay(random, lengths[random() % (sizeof lengths / sizeof lengths[0])]);
        const std::uint8_t* out = k % 2 == 0 ? nullptr : leaveOut.data();
        Hit got = Hit::none();
        tree.addNearest(ray, got, out);
        const Hit want = scanAll(f, ray, out);
        differing += got.index != want.index || got.distance != want.distance;
        const float limit = want.found() ? want.distance * 1.5f : 50.0f;
        differing += tree.occludes(ray, limit) != scanOccludes(f, ray, limit);
    }
    EXPECT_EQ(differing, 0);
}

TEST(SphereTree, HoldsEverySphereOnceInBoxesWithTheirMargin) {
    std::mt19937 random(1);
    for (int n : {1, 5, 16, 200, 3000}) {
        Field f = makeField(random, n);
        SphereTree tree;
        tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        expectWellFormed(tree, f);
        // Moved spheres are refitted, still well formed.
        for (std::size_t i = 0; i < f.spheres.size(); i += 3) f.spheres[i]->centre.y += 0.7f;
        f.refresh();
        tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        expectWellFormed(tree, f);
    }
}

TEST(SphereTree, AnswersAsOneScanOfEverySphere) {
    std::mt19937 random(2);
    for (int n : {20, 300, 2000}) {
        const Field f = makeField(random, n);
        SphereTree tree;
        tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        expectSameAnswers(tree, f, random, 3000);
    }
}

// Trees of every size up to three leaves' worth and a little over: leaves
// shorter than a group of lanes, the last of them at the end of the arrays,
// are read as a whole group from their first sphere.
TEST(SphereTree, TreesOfEverySmallSizeAnswerAsOneScan) {
    std::mt19937 random(11);
    for (int n = 1; n <= 3 * SphereTree::LEAF_SIZE + 8; ++n) {
        const Field f = makeField(random, n);
        SphereTree tree;
        tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        expectSameAnswers(tree, f, random, 400);
    }
}

// Mirror rays so long that the sphere test's distance is mostly its own
// rounding: the ball and the cone about each ray must allow for that noise,
// or a sphere whose rounding brings it nearer is missed.
TEST(SphereTree, LongMirrorRaysAnswerAsOneScan) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> exponent(2.5f, 5.5f);  // lengths 300 to 3e5
    const Field f = makeField(random, 3000, true);
    SphereTree tree;
    tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
    int differing = 0;
    for (int k = 0; k < 20000; ++k) {
        const Ray ray = makeRay(random, std::pow(10.0f, exponent(random)));
        differing += nearestDiffers(tree, f, ray);
    }
    EXPECT_EQ(differing, 0);
}

// Every bound at its edge: a lone sphere's own distance as the limit, which
// it wins as a tie, for rays of every length aimed near it. A bound without
// the margin for some rounding step passes the sphere over.
TEST(SphereTree, ASphereAtTheLimitIsNeverPassedOver) {
    std::mt19937 random(8);
    std::uniform_real_distribution<float> in(-10.0f, 10.0f);
    std::uniform_real_distribution<float> size(0.05f, 1.5f);
    std::uniform_real_distribution<float> exponent(-0.3f, 3.46f);  // lengths 0.5 to 2,900
    int missed = 0;
    int tested = 0;
    for (int k = 0; k < 40000; ++k) {
        Field f;
        f.spheres.push_back(std::make_unique<Sphere>(Vector3(in(random), in(random), in(random)), size(random)));
        f.refresh();
        SphereTree tree;
        tree.update(f.records.data(), 1);
        const Sphere& sphere = *f.spheres[0];
        const Vector3 origin(in(random), in(random), in(random));
        Vector3 aim = sphere.centre;
        aim.addScaled(Vector3(in(random), in(random), in(random)), 0.15f * sphere.radius());
        // A quarter of unit length, as shadow rays are, whose figures are made
        // once, an eighth from 2,900 to 1e6, where only the noise cone bounds
        // them, and an eighth from 1e17 to 1e20, whose tca may overflow d2.
        std::uniform_real_distribution<float> long_(3.46f, 6.0f);
        std::uniform_real_distribution<float> huge(17.0f, 20.0f);
        const float length = k % 4 == 0   ? 1.0f
                             : k % 8 == 1 ? std::pow(10.0f, huge(random))
                             : k % 8 == 3 ? std::pow(10.0f, long_(random))
                                          : std::pow(10.0f, exponent(random));
        // Rays that long meet spheres far off their line: aimed anywhere ahead.
        if (k % 8 == 3) aim.addScaled(Vector3(in(random), in(random), in(random)), 0.4f * (aim - origin).length());
        const Ray ray(origin, normalized(aim - origin).scaled(length));
        const float t = f.records[0].intersect(ray);
        if (!(t >= 0.0f)) continue;
        ++tested;
        Hit hit{t, 1};
        tree.addNearest(ray, hit, nullptr);
        missed += hit.index != 0;
        missed += !tree.occludes(ray, std::nextafter(t, INFINITY));
    }
    EXPECT_GT(tested, 18000);
    EXPECT_EQ(missed, 0);
}

// The box tests one sphere's box at a time, where a box is tightest: a ray
// that just meets the sphere (its radius where the sphere test turns from
// miss to hit, a few units in the last place either way), passing it on the
// side of a face of its box, far along rays whose cones are at their widest
// for their kind. Whatever the sphere test accepts, the box test must pass,
// with its distance as the limit.
TEST(SphereTree, BoxTestsPassEverySphereTheRayMeets) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> away(-0.3f, 2.7f);  // 0.5 to 500
    static constexpr float lengths[] = {1.0f, 1.0000005f, 0.9999995f, 0.6f, 1.001f, 1.05f, 3.0f, 40.0f};
    int met = 0;
    int missed = 0;
    for (int k = 0; k < 200000; ++k) {
        const float s = lengths[random() % (sizeof lengths / sizeof lengths[0])];
        const Ray ray = makeRay(random, s);
        const Vector3 u = normalized(ray.direction);
        // Off the ray's line towards the axis most across it.
        Vector3 side(0.0f, 0.0f, 0.0f);
        const float across[3] = {std::fabs(u.x), std::fabs(u.y), std::fabs(u.z)};
        const int axis = across[0] < across[1] ? (across[0] < across[2] ? 0 : 2) : (across[1] < across[2] ? 1 : 2);
        (axis == 0 ? side.x : axis == 1 ? side.y : side.z) = unit(random) < 0.0f ? -1.0f : 1.0f;
        side.addScaled(u, -dot(side, u));
        side = normalized(side);
        Vector3 centre = ray.origin;
        const float a = std::pow(10.0f, away(random));
        centre.addScaled(u, a);
        centre.addScaled(side, a * 0.01f * (1.0f + unit(random)) + 0.01f);
        const float r = grazingRadius(centre, ray, static_cast<int>(random() % 7) - 3);
        if (!(r > 0.0f)) continue;
        const Sphere sphere(centre, r);
        const float t = sphere.intersect(ray);
        if (!(t >= 0.0f)) continue;
        ++met;
        tree_ray::TreeRay prepared;
        if (!tree_ray::prepare(ray, prepared)) continue;
        const SphereTree::Box box = SphereTree::boxOf(centre, sphere.radiusSquared());
        const float largest = r * (1.0f + 1e-6f);
        float bound = 0.0f;
        missed += !tree_ray::reachesBox(box, prepared, largest, t, bound);
        tree_ray::WithinBox within;
        if (tree_ray::prepareWithin(prepared, largest, std::nextafter(t, INFINITY), within)) {
            float lo[3], hi[3];
            for (int c = 0; c < 3; ++c) lo[c] = box.lo[c] - prepared.origin[c], hi[c] = box.hi[c] - prepared.origin[c];
            missed += !tree_ray::reachesWithin(lo, hi, prepared, within);
        }
    }
    EXPECT_GT(met, 50000);
    EXPECT_EQ(missed, 0);
}

// Rays that graze spheres: each sphere's radius set to where the sphere test
// turns from hit to miss for one ray, then moved a few units in the last place.
TEST(SphereTree, GrazingRaysAnswerAsTheSphereTest) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> in(-8.0f, 8.0f);
    int differing = 0;
    for (int trial = 0; trial < 400; ++trial) {
        // Unit length; as long as a direction normalised in float may be,
        // whose cone matters for small far spheres; and wide cones.
        const bool far = trial % 3 == 1;
        const float s = trial % 3 == 0 ? 1.0f : far ? 1.0000005f : 1.0f + 0.02f * static_cast<float>(trial % 7);
        const Ray ray = makeRay(random, s);
        Field f;
        for (int k = 0; k < 40; ++k) {
            Vector3 centre = ray.origin;
            centre.addScaled(ray.direction, far ? 12.0f * in(random) + 100.0f : in(random) + 9.0f);
            centre += Vector3(in(random), in(random), in(random)).scaled(far ? 0.05f : 0.1f);
            const float r = grazingRadius(centre, ray, static_cast<int>(random() % 7) - 3);
            f.spheres.push_back(std::make_unique<Sphere>(centre, r));
        }
        f.refresh();
        SphereTree tree;
        tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        differing += nearestDiffers(tree, f, ray);
    }
    EXPECT_EQ(differing, 0);
}

// Twins at one distance: the one added first, wherever the tree put them.
TEST(SphereTree, TiesGoToTheSphereAddedFirst) {
    Field f;
    for (int k = 0; k < 300; ++k) f.spheres.push_back(std::make_unique<Sphere>(Vector3(static_cast<float>(k % 30), 0.0f, 5.0f), 0.5f));
    f.refresh();
    SphereTree tree;
    tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
    for (int k = 0; k < 30; ++k) {
        Hit hit = Hit::none();
        tree.addNearest(Ray(Vector3(static_cast<float>(k), 0.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f)), hit, nullptr);
        EXPECT_EQ(hit.index, k);
        EXPECT_EQ(hit.distance, 4.5f);
    }
}

// Very long rays on a grid of whole numbers: tca has few bits, so its
// square rounds to itself and many spheres are met at exactly 0. Among
// those ties the first added must win, with twins spread over the tree.
TEST(SphereTree, LongRaysTiedAtZeroGoToTheSphereAddedFirst) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> cell(-12, 12);
    std::uniform_int_distribution<int> step(-3, 3);
    Field f;
    for (int k = 0; k < 3000; ++k) {
        const bool twin = k > 0 && random() % 4 == 0;
        const Vector3 centre = twin ? f.spheres[random() % static_cast<unsigned>(k)]->centre
                                    : Vector3(static_cast<float>(cell(random)), static_cast<float>(cell(random)),
                                              static_cast<float>(cell(random)));
        f.spheres.push_back(std::make_unique<Sphere>(centre, 0.25f * static_cast<float>(1 + random() % 3)));
    }
    f.refresh();
    SphereTree tree;
    tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
    int differing = 0, tiedAtZero = 0;
    for (int k = 0; k < 3000; ++k) {
        const float scale = std::ldexp(1.0f, 12 + static_cast<int>(random() % 28));
        const Vector3 d(static_cast<float>(step(random)) * scale, static_cast<float>(step(random)) * scale,
                        static_cast<float>(1 + random() % 3) * scale);
        const Ray ray(Vector3(static_cast<float>(cell(random)), static_cast<float>(cell(random)), -20.0f), d);
        differing += nearestDiffers(tree, f, ray);
        int zeros = 0;
        for (const ShapeRecord& r : f.records) zeros += r.intersect(ray) == 0.0f;
        tiedAtZero += zeros > 1;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(tiedAtZero, 1000);
}

// For very long rays a sphere is met near distance 0 when its squared
// radius is about the rounding error of tca²: spheres tuned so, a few units
// in the last place of the radius either way, among others. The first look
// that passes spheres over by that error must never drop one of them.
TEST(SphereTree, SpheresMetAtTheEdgeOfTheirRoundingAreNeverPassedOver) {
    std::mt19937 random(12);
    std::uniform_real_distribution<float> in(-10.0f, 10.0f);
    std::uniform_real_distribution<float> exponent(4.0f, 9.0f);  // lengths 1e4 to 1e9
    int differing = 0, nearZero = 0;
    for (int round = 0; round < 600; ++round) {
        const Ray ray = makeRay(random, std::pow(10.0f, exponent(random)));
        Field f = makeField(random, 100, true);
        for (int k = 0; f.spheres.size() < 300 && k < 1000; ++k) {
            const Vector3 centre(in(random), in(random), in(random));
            const float tca = dot(centre - ray.origin, ray.direction);
            const double error = static_cast<double>(tca) * tca - static_cast<double>(tca * tca);
            if (!(tca > 0.0f) || !(error > 0.0)) continue;
            float radius = static_cast<float>(std::sqrt(error));
            for (int step = static_cast<int>(random() % 9) - 4; step != 0; step += step > 0 ? -1 : 1) {
                radius = std::nextafter(radius, step > 0 ? INFINITY : 0.0f);
            }
            f.spheres.push_back(std::make_unique<Sphere>(centre, radius));
            const float t = sphereDistance(centre, radius * radius, ray);
            nearZero += t >= 0.0f && t < 1e-6f;
        }
        f.refresh();
        SphereTree tree;
        tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        differing += nearestDiffers(tree, f, ray);
        // A near hit already found (by a plane, say) narrows the search
        // from its first sphere on.
        const auto after = static_cast<std::int32_t>(f.records.size());
        for (const Hit start : {Hit{1e-7f, after}, Hit{1e-9f, after}, Hit{0.0f, after}}) {
            Hit got = start, want = start;
            tree.addNearest(ray, got, nullptr);
            for (std::int32_t i = 0; i < after; ++i) keepNearer(want, f.records[static_cast<std::size_t>(i)].intersect(ray), i);
            differing += got.index != want.index || got.distance != want.distance;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(nearZero, 5000);
}

// A tree kept through rounds of ever larger moves (refitted, or built anew
// when its boxes grew too wide) answers as one scan of the moved spheres.
TEST(SphereTree, AKeptTreeFollowsMovedSpheres) {
    std::mt19937 random(4);
    Field f = makeField(random, 1500);
    SphereTree kept;
    kept.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
    std::uniform_real_distribution<float> step(-1.0f, 1.0f);
    for (int round = 0; round < 6; ++round) {
        for (auto& s : f.spheres) {
            if (random() % 2 == 0) s->centre += Vector3(step(random), step(random), step(random)).scaled(static_cast<float>(round));
        }
        f.refresh();
        kept.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        expectWellFormed(kept, f);
        std::mt19937 rays(100 + static_cast<unsigned>(round));
        expectSameAnswers(kept, f, rays, 1000);
    }
}

}  // namespace

namespace {

// A bundle of 64 rays from one point within a cone, or along a strip like
// a column of pixels, some a little longer than unit length, with spheres
// strewn about and some grazing its rays.
struct BundleCase {
    Vector3 apex{0.0f, 0.0f, 0.0f};
    std::vector<Vector3> directions;
    SphereTree::Bundle bundle{};
};

BundleCase makeBundle(std::mt19937& random, bool strip) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    BundleCase b;
    b.apex = Vector3(unit(random) * 20.0f, unit(random) * 20.0f, unit(random) * 20.0f);
    const Vector3 axis = normalized(Vector3(unit(random), unit(random), unit(random)));
    const Vector3 v(unit(random), unit(random), unit(random));
    const Vector3 across = normalized(Vector3(axis.y * v.z - axis.z * v.y, axis.z * v.x - axis.x * v.z,
                                              axis.x * v.y - axis.y * v.x));
    const float spread = 0.002f + 0.3f * std::fabs(unit(random));
    for (int k = 0; k < 64; ++k) {
        Vector3 d = axis;
        if (strip) {
            d.addScaled(across, spread * (k - 32) / 32.0f);
        } else {
            d += Vector3(unit(random), unit(random), unit(random)).scaled(spread);
        }
        d = normalized(d);
        if (k % 5 == 0) d = d.scaled(1.0f + 0.001f * std::fabs(unit(random)));
        b.directions.push_back(d);
    }
    b.bundle = SphereTree::bundleOf(64, [&](std::int32_t k) -> const Vector3& { return b.directions[k]; });
    return b;
}

// Which shapes a walk of the bundle gives, by index.
std::vector<char> walkAll(const SphereTree& tree, const Field& f, const BundleCase& b, double limit,
                          double offset = 0.0) {
    std::vector<char> given(f.records.size(), 0);
    SphereTree::BundleWalk walk(tree, b.apex, b.bundle, offset);
    std::int32_t out[64];
    for (std::int32_t n; (n = walk.next(out, 64, limit)) > 0;) {
        for (std::int32_t k = 0; k < n; ++k) given[static_cast<std::size_t>(out[k])] = 1;
    }
    return given;
}

}  // namespace

// Every sphere a ray of the bundle meets comes out of the walk; with a limit,
// every sphere met no farther than it.
TEST(SphereTree, ABundleWalkGivesEverySphereItsRaysMeet) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> in(-40.0f, 40.0f);
    std::uniform_real_distribution<float> size(0.02f, 0.6f);
    int missing = 0;
    int met = 0;
    for (int trial = 0; trial < 60; ++trial) {
        const BundleCase b = makeBundle(random, trial % 2 == 0);
        ASSERT_TRUE(SphereTree::BundleWalk::fits(b.bundle));
        Field f;
        for (int k = 0; k < 1500; ++k) {
            f.spheres.push_back(std::make_unique<Sphere>(Vector3(in(random), in(random), in(random)), size(random)));
        }
        // Spheres that graze a ray of the bundle, to a few units in the last place.
        for (int k = 0; k < 200; ++k) {
            const Vector3& d = b.directions[random() % 64];
            Vector3 centre = b.apex;
            centre.addScaled(d, 1.0f + 60.0f * std::fabs(in(random)) / 40.0f);
            centre += Vector3(in(random), in(random), in(random)).scaled(0.01f);
            const float r = grazingRadius(centre, Ray(b.apex, d), static_cast<int>(random() % 7) - 3);
            f.spheres.push_back(std::make_unique<Sphere>(centre, r));
        }
        f.refresh();
        SphereTree tree;
        tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        // Every ray's nearest, and a limit that the nearer half of them are within.
        std::vector<float> nearest;
        for (const Vector3& d : b.directions) nearest.push_back(scanAll(f, Ray(b.apex, d), nullptr).distance);
        std::vector<float> sorted = nearest;
        std::sort(sorted.begin(), sorted.end());
        for (const float limit : {1e9f, sorted[32]}) {
            const std::vector<char> given = walkAll(tree, f, b, limit);
            for (const Vector3& d : b.directions) {
                for (std::size_t i = 0; i < f.records.size(); ++i) {
                    const float t = f.records[i].intersect(Ray(b.apex, d));
                    if (!SphereTree::holds(f.records[i]) || !(t >= 0.0f && t <= limit)) continue;
                    ++met;
                    missing += given[i] == 0;
                }
            }
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_GT(met, 1000);  // the bundles did meet spheres, grazing ones among them
}

// Rays that start ahead of the apex, their lines moved off it by up to 0.5
// in any direction: a walk told that offset gives every sphere they meet.
TEST(SphereTree, ABundleWalkGivesRaysNearItsApexEverySphereTheyMeet) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> in(-40.0f, 40.0f);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    int missing = 0;
    int met = 0;
    for (int trial = 0; trial < 30; ++trial) {
        const BundleCase b = makeBundle(random, trial % 2 == 0);
        std::vector<Ray> rays;
        double offset = 0.0;
        for (const Vector3& d : b.directions) {
            Vector3 aside(unit(random), unit(random), unit(random));
            aside.addScaled(d, -dot(aside, d) / d.lengthSquared());
            Vector3 origin = b.apex;
            origin.addScaled(d, 5.0f * std::fabs(unit(random)));
            origin.addScaled(normalized(aside), 0.5f * std::fabs(unit(random)));
            const double q = std::sqrt(std::max(0.0, static_cast<double>((origin - b.apex).lengthSquared()) -
                                                         std::pow(dot(origin - b.apex, d) / d.length(), 2.0)));
            offset = std::max(offset, q * 1.01 + 1e-4);
            rays.emplace_back(origin, d);
        }
        Field f;
        for (int k = 0; k < 1500; ++k) {
            f.spheres.push_back(std::make_unique<Sphere>(Vector3(in(random), in(random), in(random)), 0.3f));
        }
        for (int k = 0; k < 300; ++k) {
            const Ray& ray = rays[random() % rays.size()];
            Vector3 centre = ray.origin;
            centre.addScaled(ray.direction, 0.5f + 30.0f * std::fabs(unit(random)));
            centre += Vector3(unit(random), unit(random), unit(random)).scaled(0.3f);
            f.spheres.push_back(std::make_unique<Sphere>(centre, grazingRadius(centre, ray, static_cast<int>(random() % 7) - 3)));
        }
        f.refresh();
        SphereTree tree;
        tree.update(f.records.data(), static_cast<std::int32_t>(f.records.size()));
        const std::vector<char> given = walkAll(tree, f, b, 1e9, offset);
        for (const Ray& ray : rays) {
            for (std::size_t i = 0; i < f.records.size(); ++i) {
                if (!SphereTree::holds(f.records[i]) || !(f.records[i].intersect(ray) >= 0.0f)) continue;
                ++met;
                missing += given[i] == 0;
            }
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_GT(met, 2000);
}
