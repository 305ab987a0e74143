#include <gtest/gtest.h>

#include <cmath>

#include "app/demo_scene.h"
#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

namespace {

class DemoScene : public ::testing::Test {
protected:
    void SetUp() override { buildScene(); }
    void TearDown() override { destroyScene(); }
};

TEST_F(DemoScene, FloorWallGreenRedAndOneLight) {
    const auto& objects = appScene->objects();
    ASSERT_EQ(objects.size(), 4u);
    ASSERT_EQ(appScene->lights().size(), 1u);

    const auto* floor = dynamic_cast<const Plane*>(objects[0]->shape());
    const auto* wall = dynamic_cast<const Plane*>(objects[1]->shape());
    ASSERT_NE(floor, nullptr);
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(floor->equation().normal().z, 1.0f);
    EXPECT_EQ(floor->equation().offset(), 0.0f);
    EXPECT_EQ(wall->equation().normal().y, 1.0f);
    EXPECT_EQ(wall->equation().offset(), -6.0f);

    EXPECT_EQ(objects[2], animatedSphere);
    EXPECT_EQ(objects[2]->material().colour.y, 1.0f);
    EXPECT_EQ(objects[3]->material().colour.x, 1.0f);
    for (int i : {2, 3}) {
        const auto* sphere = dynamic_cast<const Sphere*>(objects[i]->shape());
        ASSERT_NE(sphere, nullptr);
        EXPECT_EQ(sphere->radius(), 0.7f);
    }

    EXPECT_EQ(appScene->lights()[0], animatedLight);
    EXPECT_EQ(animatedLight->intensity().x, 100.0f);
    EXPECT_EQ(animatedLight->intensity().z, 100.0f);
}

TEST_F(DemoScene, MaterialsArriveUnchanged) {
    const auto& o = appScene->objects();
    EXPECT_EQ(o[0]->material().reflectivity, 0.6f);
    EXPECT_EQ(o[1]->material().reflectivity, 0.0f);
    EXPECT_EQ(o[2]->material().reflectivity, 0.7f);
    EXPECT_EQ(o[3]->material().reflectivity, 0.5f);
    EXPECT_EQ(o[0]->material().specular, 0.5f);
    EXPECT_EQ(o[2]->material().specular, 0.4f);
    EXPECT_EQ(o[3]->material().specularExponent, 10.0f);
    for (int i : {0, 1, 2}) EXPECT_EQ(o[i]->material().specularExponent, 20.0f);
}

TEST(DemoSceneGeometry, SpheresNeverOverlapOnTheGreenOnesCircle) {
    const Vector3 red(4, 0, 2);
    for (int step = 0; step < 3600; ++step) {
        const double a = step * (2 * 3.14159265358979 / 3600);
        const Vector3 green(static_cast<float>(3 + 2 * std::cos(a)), static_cast<float>(2 * std::sin(a)), 1);
        EXPECT_GT((green - red).length(), 0.7f + 0.7f) << a;
    }
}

TEST(DemoSceneLifetime, DestroyingTheSceneClearsThePointer) {
    buildScene();
    ASSERT_NE(appScene, nullptr);
    destroyScene();
    EXPECT_EQ(appScene, nullptr);
    destroyScene();  // nothing left to delete
}

}  // namespace
