#include <gtest/gtest.h>

#include "geometry/plane.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "test_doubles.h"

namespace {

const Vector3 origin(0, 0, 0);
const Vector3 up(0, 0, 1);
const Vector3 slanted(0.6f, 0, -0.8f);

Vector3 shadeAt(const Scene& scene, const SceneObject& object, const Vector3& direction = slanted,
                const Vector3& normal = up) {
    Vector3 c(-9, -9, -9);
    scene.shade(object, direction, origin, normal, c);
    return c;
}

TEST(Shading, WorkedExample) {
    Scene scene;
    scene.addLight(new Light(Vector3(0, 0, 5), Vector3(100, 100, 100)));
    const SceneObject red(Material({1, 0, 0}, 0.4f, 10, 0.5f), nullptr);
    const Vector3 c = shadeAt(scene, red);
    EXPECT_NEAR(c.x, 2.318720f, 2e-6f);
    EXPECT_NEAR(c.y, 0.168720f, 2e-6f);
    EXPECT_NEAR(c.z, 0.168720f, 2e-6f);
    EXPECT_EQ(c.y, c.z);
}

TEST(Shading, WithoutLightsOnlyAmbientAndMirrorRemain) {
    const Scene scene;
    const SceneObject white(Material({1, 1, 1}, 0.5f, 20, 0), nullptr);
    EXPECT_EQ(shadeAt(scene, white).x, 0.3f);
    const SceneObject halfMirror(Material({1, 0, 0}, 0.5f, 20, 0.5f), nullptr);
    const Vector3 c = shadeAt(scene, halfMirror);
    EXPECT_FLOAT_EQ(c.x, 0.5f * 0.2f + 0.5f * 0.3f);
    EXPECT_FLOAT_EQ(c.y, 0.5f * 0.2f);
}

TEST(Shading, PerfectMirrorIgnoresLightsAndCastsNoShadowRay) {
    Scene scene;
    auto* behind = new FixedShape(-1);  // never met: the mirror ray takes the background
    scene.addObject(new SceneObject(Material({0, 0, 0}, 0, 1, 0), behind));
    scene.addLight(new Light(Vector3(0, 0, 5), Vector3(100, 100, 100)));
    const SceneObject mirror(Material({1, 0, 0}, 0.4f, 10, 1), nullptr);
    const Vector3 c = shadeAt(scene, mirror);
    EXPECT_EQ(c.x, 0.2f);
    EXPECT_EQ(c.y, 0.2f);
    EXPECT_EQ(behind->tests, 1);  // the mirror ray's trace, and no occlusion test
}

TEST(Shading, LightsBehindTheSurfaceAreNotEvenTestedForShadow) {
    Scene scene;
    auto* blocker = new FixedShape(0.5f);
    scene.addObject(new SceneObject(Material({0, 0, 0}, 0, 1, 0), blocker));
    scene.addLight(new Light(Vector3(0, 0, -5), Vector3(100, 100, 100)));
    const SceneObject dull(Material({1, 1, 1}, 0.5f, 20, 0), nullptr);
    EXPECT_EQ(shadeAt(scene, dull).x, 0.3f);
    EXPECT_EQ(blocker->tests, 0);
}

TEST(Shading, AShadowedLightAddsNothingAndOthersStillCount) {
    const SceneObject dull(Material({1, 1, 1}, 0, 20, 0), nullptr);
    Scene lit;
    lit.addLight(new Light(Vector3(0, 0, 5), Vector3(100, 100, 100)));
    const float oneLight = shadeAt(lit, dull).x;  // 0.3 + 100·(1/25)

    Scene shadowed;
    shadowed.addObject(new SceneObject(Material({0, 0, 0}, 0, 1, 0), new FixedShape(2)));
    shadowed.addLight(new Light(Vector3(0, 0, 5), Vector3(100, 100, 100)));
    EXPECT_EQ(shadeAt(shadowed, dull).x, 0.3f);

    // The blocker at 2 is beyond a light at 1, so the second light still counts.
    shadowed.addLight(new Light(Vector3(0, 0, 1), Vector3(1, 1, 1)));
    EXPECT_FLOAT_EQ(shadeAt(shadowed, dull).x, 0.3f + 1.0f);
    EXPECT_FLOAT_EQ(oneLight, 4.3f);
}

TEST(Shading, GrazingLightGetsAShadowTestAndMayStillAddAHighlight) {
    // Light in the surface's plane: k = 0, no diffuse light, but the mirror
    // direction can still point at it.
    Scene scene;
    auto* probe = new FixedShape(-1);
    scene.addObject(new SceneObject(Material({0, 0, 0}, 0, 1, 0), probe));
    scene.addLight(new Light(Vector3(5, 0, 0), Vector3(1, 1, 1)));
    const SceneObject shiny(Material({0, 0, 0}, 1, 1, 0), nullptr);
    const Vector3 c = shadeAt(scene, shiny, Vector3(0.6f, 0, -0.8f));
    EXPECT_EQ(probe->tests, 1);
    // σ = R·(1, 0, 0) = 0.6, h = 0.6^1 · 0.6 / 25.
    EXPECT_FLOAT_EQ(c.x, 0.6f * 0.6f / 25.0f);
    EXPECT_EQ(c.x, c.y);
}

TEST(Shading, NoHighlightWithoutSpecularOrFacingAway) {
    Scene scene;
    scene.addLight(new Light(Vector3(0, 0, 5), Vector3(100, 100, 100)));
    const SceneObject matte(Material({1, 0, 0}, 0, 10, 0), nullptr);
    const Vector3 c = shadeAt(scene, matte);
    EXPECT_EQ(c.y, 0.0f);
    EXPECT_FLOAT_EQ(c.x, 0.3f + 4.0f);

    // Straight down onto the surface, light off to the side at grazing σ <= 0.
    Scene side;
    side.addLight(new Light(Vector3(5, 0, 0), Vector3(100, 100, 100)));
    const SceneObject shiny(Material({1, 0, 0}, 1, 10, 0), nullptr);
    EXPECT_EQ(shadeAt(side, shiny, Vector3(0, 0, -1)).y, 0.0f);
}

TEST(Shading, TwiceTheDistanceIsAQuarterOfTheLight) {
    const SceneObject shiny(Material({1, 1, 1}, 0.5f, 4, 0), nullptr);
    Scene close;
    close.addLight(new Light(Vector3(3, 0, 4), Vector3(100, 100, 100)));
    Scene distant;
    distant.addLight(new Light(Vector3(6, 0, 8), Vector3(100, 100, 100)));
    const Vector3 direction = normalized(Vector3(-3, 0, -4));
    const Vector3 a = shadeAt(close, shiny, direction);
    const Vector3 b = shadeAt(distant, shiny, direction);
    EXPECT_NEAR(a.x - 0.3f, 4 * (b.x - 0.3f), 1e-5f);
    EXPECT_GT(a.x, 1.0f);
}

TEST(Shading, ALightAtTheShadingPointAddsNothing) {
    Scene scene;
    scene.addLight(new Light(origin, Vector3(100, 100, 100)));
    const SceneObject shiny(Material({1, 1, 1}, 0.5f, 20, 0), nullptr);
    const Vector3 c = shadeAt(scene, shiny);
    EXPECT_EQ(c.x, 0.3f);
    EXPECT_EQ(c.y, 0.3f);
    EXPECT_EQ(c.z, 0.3f);
}

TEST(Shading, ObjectShadeUsesItsShapesNormal) {
    Scene scene;
    scene.addLight(new Light(Vector3(0, 0, 5), Vector3(100, 100, 100)));
    const SceneObject facingUp(Material({1, 0, 0}, 0, 1, 0), new Plane(PlaneEquation(up, 0)));
    const SceneObject facingDown(Material({1, 0, 0}, 0, 1, 0), new Plane(PlaneEquation(Vector3(0, 0, -1), 0)));
    Vector3 lit, dark;
    facingUp.shade(origin, slanted, scene, lit);
    facingDown.shade(origin, slanted, scene, dark);
    EXPECT_FLOAT_EQ(lit.x, 4.3f);
    EXPECT_EQ(dark.x, 0.3f);
}

}  // namespace
