#include <gtest/gtest.h>

#include <cmath>

#include "geometry/plane.h"

namespace {

const Plane floorPlane(PlaneEquation(Vector3(0, 0, 1), 0));

float hit(const Plane& plane, Vector3 origin, Vector3 direction) {
    return plane.intersect(Ray(origin, direction));
}

TEST(Plane, DistanceFromEitherSide) {
    EXPECT_EQ(hit(floorPlane, {-3, 0, 1}, {0, 0, -1}), 1.0f);
    EXPECT_EQ(hit(floorPlane, {-3, 0, 1}, {0, 0, 1}), -1.0f);
    EXPECT_EQ(hit(floorPlane, {0, 0, -1}, {0, 0, 1}), 1.0f);
    // A longer direction still gives the ray parameter.
    EXPECT_EQ(hit(floorPlane, {0, 0, 4}, {0, 0, -2}), 2.0f);
}

TEST(Plane, ParallelRaysGiveValuesNoCallerAccepts) {
    const float above = hit(floorPlane, {0, 0, 1}, {1, 0, 0});
    EXPECT_TRUE(std::isinf(above) && above < 0);
    EXPECT_TRUE(std::isnan(hit(floorPlane, {5, 5, 0}, {1, 0, 0})));
}

TEST(Plane, NormalIsTheEquationsWhereverAsked) {
    for (const Vector3& p : {Vector3(0, 0, 0), Vector3(3, -7, 12), Vector3(0, 0, -5)}) {
        const Vector3 n = floorPlane.normalAt(p);
        EXPECT_EQ(n.x, 0.0f);
        EXPECT_EQ(n.y, 0.0f);
        EXPECT_EQ(n.z, 1.0f);
    }
}

TEST(Plane, TheWall) {
    const Plane wall(PlaneEquation(Vector3(0, 1, 0), -6));
    const Ray ray(Vector3(-3, 0, 1), Vector3(0, -1, 0));
    const float t = wall.intersect(ray);
    EXPECT_EQ(t, 6.0f);
    Vector3 p = ray.origin;
    p.addScaled(ray.direction, t);
    EXPECT_EQ(p.x, -3.0f);
    EXPECT_EQ(p.y, -6.0f);
    EXPECT_EQ(p.z, 1.0f);
}

}  // namespace
