#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/plane.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "test_doubles.h"

namespace {

// Mirror-free, unlit: a hit shows as its colour times the ambient term.
Material flat(Vector3 colour) { return Material(colour, 0.0f, 1.0f, 0.0f); }

const Ray alongX(Vector3(-3, 0, 1), Vector3(1, 0, 0));

Vector3 traced(const Scene& scene, const Ray& ray = alongX) {
    Vector3 c;
    scene.trace(ray, c);
    return c;
}

TEST(Scene, EmptySceneIsBackgroundAndNeverOccluded) {
    const Scene scene;
    const Vector3 c = traced(scene);
    EXPECT_EQ(c.x, 0.2f);
    EXPECT_EQ(c.y, 0.2f);
    EXPECT_EQ(c.z, 0.2f);
    EXPECT_FALSE(scene.isOccluded(alongX, 1e30f));
}

TEST(Scene, NearestHitWinsAndTiesGoToTheFirstAdded) {
    Scene scene;
    scene.addObject(new SceneObject(flat({1, 0, 0}), new FixedShape(5)));
    scene.addObject(new SceneObject(flat({0, 1, 0}), new FixedShape(3)));
    scene.addObject(new SceneObject(flat({0, 0, 1}), new FixedShape(3)));
    const Vector3 c = traced(scene);
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.y, 0.3f);
    EXPECT_EQ(c.z, 0.0f);
}

TEST(Scene, AcceptsZeroAndRejectsNegativeFarAndNonFiniteDistances) {
    const float rejected[] = {-0.001f, MISS_DISTANCE, 1e9f, 2e9f, std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
    for (const float t : rejected) {
        Scene scene;
        scene.addObject(new SceneObject(flat({1, 1, 1}), new FixedShape(t)));
        EXPECT_EQ(traced(scene).x, 0.2f) << t;
        EXPECT_FALSE(scene.isOccluded(alongX, 1e9f)) << t;
    }
    Scene scene;
    scene.addObject(new SceneObject(flat({1, 1, 1}), new FixedShape(0)));
    EXPECT_EQ(traced(scene).x, 0.3f);
    EXPECT_TRUE(scene.isOccluded(alongX, 1));
}

TEST(Scene, OcclusionBoundIsStrictAtTheFarEnd) {
    Scene scene;
    scene.addObject(new SceneObject(flat({1, 1, 1}), new FixedShape(4)));
    EXPECT_FALSE(scene.isOccluded(alongX, 4));
    EXPECT_TRUE(scene.isOccluded(alongX, std::nextafter(4.0f, 5.0f)));
    EXPECT_FALSE(scene.isOccluded(alongX, 0));
}

TEST(Scene, OcclusionStopsAtTheFirstBlocker) {
    Scene scene;
    auto* first = new FixedShape(1);
    auto* second = new FixedShape(1);
    scene.addObject(new SceneObject(flat({1, 1, 1}), first));
    scene.addObject(new SceneObject(flat({1, 1, 1}), second));
    EXPECT_TRUE(scene.isOccluded(alongX, 10));
    EXPECT_EQ(first->tests, 1);
    EXPECT_EQ(second->tests, 0);
}

TEST(Scene, ShadesJustShortOfTheHit) {
    // A light straight above x = 0.996 lights the shading point head on only
    // if the point is the pulled-back one, not the surface point (1, 0, 1).
    const Ray ray(Vector3(-3, 0, 1), Vector3(1, 0, 0));
    Vector3 p = ray.origin;
    p.addScaled(ray.direction, 4.0f * 0.999f);
    EXPECT_EQ(p.x, 0.99600005f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_EQ(p.z, 1.0f);

    Scene scene;
    scene.addObject(new SceneObject(Material({1, 1, 1}, 0, 1, 0), new FixedShape(4, {0, 0, 1})));
    scene.addLight(new Light(Vector3(p.x, 0, 3), Vector3(4, 4, 4)));
    // k = 2 / 2 = 1 and 1/D² = 1/4 exactly: ambient 0.3 plus 4·0.25.
    // A shadow ray from p meets the shape at 4 again, beyond the light at 2.
    EXPECT_EQ(traced(scene, ray).x, 1.3f);
}

TEST(Scene, DeletesEverythingItOwnsOnceAndSkipsNulls) {
    int shapesDestroyed = 0;
    {
        Scene scene;
        scene.addObject(new SceneObject(flat({1, 1, 1}), new FixedShape(1, {0, 0, 1}, &shapesDestroyed)));
        scene.addObject(nullptr);
        scene.addObject(new SceneObject(flat({1, 1, 1}), new FixedShape(2, {0, 0, 1}, &shapesDestroyed)));
        scene.addLight(new Light({0, 0, 0}, {1, 1, 1}));
        scene.addLight(nullptr);
    }
    EXPECT_EQ(shapesDestroyed, 2);
    { SceneObject shapeless(flat({1, 1, 1}), nullptr); }
}

TEST(SceneObject, HoldsItsOwnCopyOfTheMaterial) {
    const Material m({1, 0, 0}, 0.4f, 10, 0.5f);
    SceneObject a(m, nullptr);
    SceneObject b(m, nullptr);
    a.material().colour.set(0, 0, 1);
    EXPECT_EQ(b.material().colour.x, 1.0f);
    EXPECT_EQ(a.material().specularExponent, 10.0f);
}

TEST(Scene, FacingMirrorsEndAtTheDepthBound) {
    // Two perfect mirrors face each other; every reflected ray meets the
    // other, so only the depth bound ends the chain, with the background.
    Scene scene;
    const Material mirror({1, 1, 1}, 0, 1, 1);
    scene.addObject(new SceneObject(mirror, new Plane(PlaneEquation(Vector3(1, 0, 0), 1))));
    scene.addObject(new SceneObject(mirror, new Plane(PlaneEquation(Vector3(1, 0, 0), -1))));
    const Vector3 c = traced(scene, Ray(Vector3(0, 0, 0), Vector3(1, 0, 0)));
    EXPECT_EQ(c.x, 0.2f);
    EXPECT_EQ(c.y, 0.2f);
    EXPECT_EQ(c.z, 0.2f);
}

TEST(Scene, ReflectionsUpToTheBoundAreTraced) {
    // A half mirror between two walls: every bounce halves what comes back,
    // so the sum shows how many bounces were traced before the background.
    Scene scene;
    const Material half({0, 0, 0}, 0, 1, 0.5f);
    scene.addObject(new SceneObject(half, new FixedShape(1, {-1, 0, 0})));
    Vector3 c;
    scene.trace(Ray(Vector3(0, 0, 0), Vector3(1, 0, 0)), c, MAX_REFLECTION_DEPTH);
    // At the bound: one more level is not traced and is background, 0.2·0.5.
    EXPECT_FLOAT_EQ(c.x, 0.1f);
    scene.trace(Ray(Vector3(0, 0, 0), Vector3(1, 0, 0)), c, MAX_REFLECTION_DEPTH - 1);
    EXPECT_FLOAT_EQ(c.x, 0.05f);
}

}  // namespace
