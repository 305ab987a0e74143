#include <gtest/gtest.h>

#include "geometry/sphere.h"

namespace {

const Sphere unit(Vector3(0, 0, 0), 1);
const Vector3 alongX(1, 0, 0);

float hit(const Sphere& s, Vector3 origin) { return s.intersect(Ray(origin, alongX)); }

TEST(Sphere, NearSurfaceOrMiss) {
    EXPECT_EQ(hit(unit, {-5, 0, 0}), 4.0f);
    EXPECT_EQ(hit(unit, {-5, 1, 0}), 5.0f);  // tangent: d2 == radiusSquared still hits
    EXPECT_EQ(hit(unit, {-5, 1.5f, 0}), MISS_DISTANCE);
    EXPECT_EQ(hit(unit, {5, 0, 0}), MISS_DISTANCE);    // centre behind
    EXPECT_EQ(hit(unit, {0, 0, 0}), -1.0f);            // tca == 0 goes on, to a negative t
    EXPECT_EQ(hit(unit, {0.5f, 0, 0}), MISS_DISTANCE);  // inside, centre behind
    EXPECT_EQ(MISS_DISTANCE, -666.0f);
}

TEST(Sphere, DerivedRadiusTermsAndNormals) {
    const Sphere s(Vector3(1, 1, 1), 2);
    EXPECT_EQ(s.radiusSquared(), 4.0f);
    EXPECT_EQ(s.inverseRadius(), 0.5f);
    const Vector3 n = s.normalAt(Vector3(3, 1, 1));
    EXPECT_EQ(n.x, 1.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 0.0f);
    EXPECT_EQ(unit.normalAt(Vector3(-1, 0, 0)).x, -1.0f);
}

TEST(Sphere, DemoSphereFromTheCamera) {
    const Sphere s(Vector3(4, 0, 2), 0.7f);
    EXPECT_EQ(s.radiusSquared(), 0.7f * 0.7f);
    EXPECT_EQ(s.inverseRadius(), 1.0f / 0.7f);
    const float t = s.intersect(Ray(Vector3(-3, 0, 2), alongX));
    EXPECT_NEAR(t, 6.3f, 1e-6f);

    Vector3 p(-3, 0, 2);
    p.addScaled(alongX, t * 0.999f);
    const Vector3 n = s.normalAt(p);
    EXPECT_LT(n.x, -1.0f);  // pulled back off the surface: a little longer than 1
    EXPECT_GT(n.x, -1.02f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 0.0f);
}

TEST(Sphere, MovingTheCentreMovesTheHit) {
    Sphere s(Vector3(0, 0, 0), 1);
    s.centre.set(10, 0, 0);
    EXPECT_EQ(hit(s, {-5, 0, 0}), 14.0f);
    EXPECT_EQ(s.radius(), 1.0f);
}

}  // namespace
