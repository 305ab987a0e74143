// The vector hit tests leave spheres out by bundle and screen them in float
// first; neither may change a hit. Spheres are placed so that rays graze them
// to within a few units in the last place, where a careless margin shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "render/fast/frame_tracer.h"
#include "render/fast/hit_lanes.h"
#include "render/fast/ray_bundle.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

namespace {

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The nearest hit as Scene::trace keeps it, one shape after another.
Hit referenceHit(const Scene& scene, const Ray& ray) {
    Hit hit = Hit::none();
    const auto& objects = scene.objects();
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const float t = objects[i]->shape()->intersect(ray);
        if (t >= 0.0f && t < hit.distance) hit = {t, static_cast<std::int32_t>(i)};
    }
    return hit;
}

bool sameHit(const Hit& a, const Hit& b) {
    return a.index == b.index && std::memcmp(&a.distance, &b.distance, sizeof(float)) == 0;
}

// Rays in bundles: from near one point, along directions near one axis, unit
// length as cameras and mirrors make them. Then spheres, most of them
// touching one of the rays to within a hair, beside a floor.
struct GrazedRays {
    Scene scene;
    std::vector<Vector3> origins;
    std::vector<Vector3> directions;

    GrazedRays(std::mt19937& random, std::int32_t rays, bool oneOrigin, std::int32_t spheres) {
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        const Vector3 apex(5.0f * unit(random), 5.0f * unit(random), 1.0f + unit(random));
        const Vector3 axis = normalized(Vector3(unit(random), unit(random), unit(random) + 0.1f));
        // Now and then every ray along one direction: the narrowest cone there is.
        const float width = random() % 4 == 0 ? 0.0f : 0.2f * std::fabs(unit(random));
        const float spread = oneOrigin ? 0.0f : 0.5f * std::fabs(unit(random));
        for (std::int32_t k = 0; k < rays; ++k) {
            const Vector3 offset(spread * unit(random), spread * unit(random), spread * unit(random));
            origins.push_back(Vector3(apex.x + offset.x, apex.y + offset.y, apex.z + offset.z));
            directions.push_back(normalized(Vector3(axis.x + width * unit(random), axis.y + width * unit(random),
                                                    axis.z + width * unit(random))));
        }
        scene.addObject(new SceneObject(Material(Vector3(1.0f, 1.0f, 1.0f), 0.0f, 10.0f, 0.0f), new Plane(PlaneEquation(Vector3(0.0f, 0.0f, 1.0f), -2.0f))));
        for (std::int32_t s = 0; s < spheres; ++s) {
            const float radius = 0.05f + std::fabs(unit(random));
            if (s % 4 == 3) {  // anywhere
                const Vector3 centre(8.0f * unit(random), 8.0f * unit(random), 8.0f * unit(random));
                scene.addObject(new SceneObject(Material(Vector3(1.0f, 1.0f, 1.0f), 0.0f, 10.0f, 0.0f), new Sphere(centre, radius)));
                continue;
            }
            // Beside ray k, a radius and a hair away from a point along it.
            const auto k = static_cast<std::size_t>(random() % static_cast<std::uint32_t>(rays));
            const Vector3& d = directions[k];
            Vector3 side = cross(d, Vector3(unit(random), unit(random), unit(random)));
            side = normalized(side);
            const float along = 2.0f + 6.0f * std::fabs(unit(random));
            const float hair = 1.0f + 3e-7f * static_cast<float>(static_cast<int>(random() % 21) - 10);
            Vector3 centre = origins[k];
            centre.addScaled(d, along);
            centre.addScaled(side, radius * hair);
            scene.addObject(new SceneObject(Material(Vector3(1.0f, 1.0f, 1.0f), 0.0f, 10.0f, 0.0f), new Sphere(centre, radius)));
        }
    }
};

using HitsFunction = void (*)(const FrameTracer&, const FrameTracer::RayArrays&, std::int32_t, std::int32_t, Hit*,
                              const std::int32_t*, std::int32_t);
using PrimaryFunction = void (*)(const FrameTracer&, const Vector3&, const HintedDirection*, Hit*, std::int32_t,
                                 const std::int32_t*, std::int32_t);

// A tracer over the scene's shapes, and all their indices in order.
struct AllShapes {
    FrameTracer tracer;
    std::vector<std::int32_t> indices;

    explicit AllShapes(const Scene& scene) {
        tracer.load(scene);
        for (std::int32_t i = 0; i < tracer.objectCount(); ++i) indices.push_back(i);
    }
    std::int32_t count() const { return static_cast<std::int32_t>(indices.size()); }
};

// "" when every ray's hit is the reference's, else the first that differs.
std::string checkHits(const GrazedRays& world, const std::vector<Hit>& hits, const std::vector<Vector3>& origins) {
    for (std::size_t k = 0; k < hits.size(); ++k) {
        const Hit expected = referenceHit(world.scene, Ray(origins[k], world.directions[k]));
        if (!sameHit(hits[k], expected)) {
            std::ostringstream text;
            text << "ray " << k << ": object " << hits[k].index << " at " << hits[k].distance << ", expected "
                 << expected.index << " at " << expected.distance;
            return text.str();
        }
    }
    return "";
}

void checkMirrorRays(HitsFunction addHits, std::uint32_t seeds) {
    for (std::uint32_t seed = 0; seed < seeds; ++seed) {
        std::mt19937 random(seed);
        const auto rays = static_cast<std::int32_t>(1 + random() % 100);
        // Beyond 64 objects the shapes go through in more than one run.
        const auto spheres = static_cast<std::int32_t>(random() % 2 == 0 ? 12 : 80);
        GrazedRays world(random, rays, false, spheres);
        const AllShapes shapes(world.scene);
        // The rays at an offset in the arrays, as a level's second part is.
        const std::int32_t first = static_cast<std::int32_t>(random() % 8);
        auto arrays = std::make_unique<FrameTracer::RayArrays>();
        for (std::int32_t k = 0; k < rays; ++k) arrays->set(first + k, world.origins[k], world.directions[k]);
        std::vector<Hit> all(static_cast<std::size_t>(first + rays), Hit::none());
        addHits(shapes.tracer, *arrays, first, rays, all.data(), shapes.indices.data(), shapes.count());
        const std::vector<Hit> hits(all.begin() + first, all.end());
        const std::string fault = checkHits(world, hits, world.origins);
        ASSERT_EQ(fault, "") << "seed " << seed;
    }
}

void checkPrimaryRays(PrimaryFunction addHits, std::uint32_t seeds) {
    for (std::uint32_t seed = 0; seed < seeds; ++seed) {
        std::mt19937 random(seed);
        const auto rays = static_cast<std::int32_t>(1 + random() % 200);
        const auto spheres = static_cast<std::int32_t>(random() % 2 == 0 ? 12 : 80);
        GrazedRays world(random, rays, true, spheres);
        const AllShapes shapes(world.scene);
        std::vector<HintedDirection> bundle;
        for (const Vector3& d : world.directions) bundle.push_back({d, {Hit::none(), Hit::none()}});
        std::vector<Hit> hits(bundle.size(), Hit::none());
        addHits(shapes.tracer, world.origins[0], bundle.data(), hits.data(), rays, shapes.indices.data(),
                shapes.count());
        const std::vector<Vector3> origins(hits.size(), world.origins[0]);
        const std::string fault = checkHits(world, hits, origins);
        ASSERT_EQ(fault, "") << "seed " << seed;
    }
}

#ifdef RT_SIMD_LANES
TEST(RayBundle, LeavingOutSpheresChangesNoHitOfRaysFromMany) { checkMirrorRays(addHitsVector, 400); }

TEST(RayBundle, LeavingOutSpheresChangesNoHitOfRaysFromOnePoint) { checkPrimaryRays(addPrimaryHitsVector, 400); }

#ifdef RT_AVX2_COPIES
TEST(RayBundle, EightLanesChangeNoHitEither) {
    if (!cpuHasAvx2()) GTEST_SKIP() << "no AVX2 on this CPU";
    checkMirrorRays(addHitsVectorAvx2, 400);
    checkPrimaryRays(addPrimaryHitsVectorAvx2, 400);
}
#endif
#endif

// The cone's own rules, where its figures would be unsafe.
TEST(RayBundle, SkipsNothingWhenItsFiguresCannotBeTrusted) {
    const double apex[3] = {0.0, 0.0, 0.0};
    const double axis[3] = {0.0, 0.0, 1.0};
    const Vector3 aside(10.0f, 0.0f, 1.0f);  // far off the axis: missed by a narrow cone
    EXPECT_TRUE(makeRayBundle(apex, 0.0, axis, 0.999, 1.0, 1.0).missesSphere(aside, 1.0f));
    // Directions off unit length, a cone wider than a right angle, NaN and
    // overflow in the figures: nothing is skipped.
    EXPECT_FALSE(makeRayBundle(apex, 0.0, axis, 0.999, 0.9, 1.0).missesSphere(aside, 1.0f));
    EXPECT_FALSE(makeRayBundle(apex, 0.0, axis, 0.999, 1.0, 1.1).missesSphere(aside, 1.0f));
    EXPECT_FALSE(makeRayBundle(apex, 0.0, axis, -0.2, 1.0, 1.0).missesSphere(aside, 1.0f));
    EXPECT_FALSE(makeRayBundle(apex, 0.0, axis, NAN, 1.0, 1.0).missesSphere(aside, 1.0f));
    EXPECT_FALSE(makeRayBundle(apex, INFINITY, axis, 0.999, 1.0, 1.0).missesSphere(aside, 1.0f));
    const double nowhere[3] = {NAN, 0.0, 0.0};
    EXPECT_FALSE(makeRayBundle(apex, 0.0, nowhere, 0.999, 1.0, 1.0).missesSphere(aside, 1.0f));
    // Origins inside or at the sphere are left to the test.
    EXPECT_FALSE(makeRayBundle(apex, 9.5, axis, 0.999, 1.0, 1.0).missesSphere(aside, 1.0f));
    EXPECT_FALSE(makeRayBundle(apex, 0.0, axis, 0.999, 1.0, 1.0).missesSphere(Vector3(0.5f, 0.0f, -0.5f), 1.0f));
    // A sphere behind the apex is missed by every ray of a narrow cone.
    EXPECT_TRUE(makeRayBundle(apex, 0.0, axis, 0.999, 1.0, 1.0).missesSphere(Vector3(0.0f, 0.0f, -5.0f), 1.0f));
}

}  // namespace
