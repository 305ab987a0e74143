#include <gtest/gtest.h>

#include <cfloat>

#include "math/ray.h"
#include "math/vector3.h"

namespace {

void expectVector(const Vector3& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

TEST(Vector3, ArithmeticGivesTheDocumentedValues) {
    EXPECT_EQ(dot(Vector3(1, 2, 3), Vector3(4, 5, 6)), 32.0f);
    EXPECT_EQ(Vector3(1, 2, 3).dot(Vector3(4, 5, 6)), 32.0f);
    EXPECT_EQ(Vector3(1, 2, 2).lengthSquared(), 9.0f);
    EXPECT_EQ(Vector3(1, 2, 2).length(), 3.0f);
    expectVector(Vector3(1, 2, 3).scaled(-1), -1, -2, -3);
    expectVector(Vector3(1, 2, 3).mul(Vector3(2, 0.5f, 0)), 2, 1, 0);
    expectVector(Vector3(5, 5, 5) - Vector3(1, 2, 3), 4, 3, 2);

    Vector3 v(1, 1, 1);
    v.addScaled(Vector3(1, 2, 3), 2);
    expectVector(v, 3, 5, 7);
    v += Vector3(1, 1, 1);
    expectVector(v, 4, 6, 8);
}

TEST(Vector3, AddScaledRoundsOnceNotTwice) {
    // (1 + 2^-23)(1 + 2^-21) + 1: rounding the product to float first loses
    // the bit that decides the sum.
    const float s = 1.0f + FLT_EPSILON;
    const float vx = 1.0f + 4 * FLT_EPSILON;
    Vector3 once(1.0f, 0.0f, 0.0f);
    once.addScaled(Vector3(vx, 0, 0), s);
    EXPECT_EQ(once.x, 2.0f + 6 * FLT_EPSILON);
    EXPECT_NE(once.x, 1.0f + s * vx);
}

TEST(Vector3, DotSumsInDoubleInTheOrderXYZ) {
    // 2^30 + 1 - 2^30: exact in double, lost if the first sum were a float.
    const Vector3 a(1073741824.0f, 1.0f, -1073741824.0f);
    const Vector3 ones(1, 1, 1);
    EXPECT_EQ(dot(a, ones), 1.0f);
}

TEST(Vector3, NormalizeReturnsLengthAndWritesReciprocal) {
    Vector3 v(3, 4, 0);
    float reciprocal = 0;
    EXPECT_EQ(v.normalize(&reciprocal), 5.0f);
    EXPECT_EQ(reciprocal, 0.2f);
    expectVector(v, 0.6f, 0.8f, 0);
}

TEST(Vector3, NormalizeOfZeroLeavesEverythingAlone) {
    Vector3 v(0, 0, 0);
    float reciprocal = 42.0f;
    EXPECT_EQ(v.normalize(&reciprocal), EPSILON);
    EXPECT_EQ(EPSILON, 0.00001f);
    EXPECT_EQ(reciprocal, 42.0f);
    expectVector(v, 0, 0, 0);
}

TEST(Vector3, NormalizedHandlesZeroAndLeavesItsArgument) {
    expectVector(normalized(Vector3(0, 0, 0)), 1, 0, 0);
    const Vector3 v(0, 0, 2);
    expectVector(normalized(v), 0, 0, 1);
    expectVector(v, 0, 0, 2);
}

TEST(Vector3, ClampToOneCutsOnlyAbove) {
    Vector3 v(1.5f, -2, 1);
    v.clampToOne();
    expectVector(v, 1, -2, 1);
    Vector3 grey(0.2f, 0.2f, 0.2f);
    grey.clampToOne();
    expectVector(grey, 0.2f, 0.2f, 0.2f);
}

TEST(Ray, HoldsCopiesOfWhatItWasGiven) {
    Vector3 origin(1, 2, 3);
    Vector3 direction(0, 0, 2);
    const Ray ray(origin, direction);
    origin.set(9, 9, 9);
    direction.set(origin);
    expectVector(ray.origin, 1, 2, 3);
    expectVector(ray.direction, 0, 0, 2);
}

}  // namespace
