#include <gtest/gtest.h>

#include <cmath>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/memory_canvas.h"
#include "geometry/sphere.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "test_doubles.h"

namespace {

TEST(PrimaryRays, DirectionsThroughTheImagePlane) {
    const Vector3 corner = primaryRayDirection(0, 0);
    const Vector3 expected = normalized(Vector3(1, 0.5f, 0.5f));
    EXPECT_EQ(corner.x, expected.x);
    EXPECT_EQ(corner.y, expected.y);
    EXPECT_NEAR(corner.x, 0.8165f, 1e-4f);
    EXPECT_NEAR(corner.z, 0.4082f, 1e-4f);

    const Vector3 axis = primaryRayDirection(200, 200);
    EXPECT_EQ(axis.x, 1.0f);
    EXPECT_EQ(axis.y, 0.0f);
    EXPECT_EQ(axis.z, 0.0f);

    const Vector3 last = primaryRayDirection(399, 399);
    const Vector3 lastExpected = normalized(Vector3(1, -0.4975f, -0.4975f));
    EXPECT_EQ(last.y, lastExpected.y);
    EXPECT_LT(last.z, 0.0f);
}

TEST(PrimaryRays, ColumnSetsYAndRowSetsZ) {
    for (auto [a, b] : {std::pair{3, 250}, std::pair{0, 399}, std::pair{100, 17}}) {
        const Vector3 ab = primaryRayDirection(a, b);
        const Vector3 ba = primaryRayDirection(b, a);
        EXPECT_EQ(ab.x, ba.x);
        EXPECT_EQ(ab.y, ba.z);
        EXPECT_EQ(ab.z, ba.y);
    }
}

class FrameRenderer : public ::testing::Test {
protected:
    void SetUp() override { buildScene(); }
    void TearDown() override { destroyScene(); }
    static const Sphere& green() { return *dynamic_cast<const Sphere*>(animatedSphere->shape()); }
};

TEST_F(FrameRenderer, PlacesTheLightAndTheGreenSphereForTheTime) {
    MemoryCanvas canvas(1, 1);
    renderFrameAt(canvas, 0.0f);
    EXPECT_EQ(animatedLight->position().x, 5.0f);
    EXPECT_EQ(animatedLight->position().y, 0.0f);
    EXPECT_EQ(animatedLight->position().z, 5.0f);
    EXPECT_EQ(green().centre.x, 5.0f);
    EXPECT_EQ(green().centre.y, 0.0f);
    EXPECT_EQ(green().centre.z, 1.0f);

    const float quarterTurn = static_cast<float>(2.5 * 3.141592653589793);
    renderFrameAt(canvas, quarterTurn);
    EXPECT_NEAR(green().centre.x, 3.0f, 1e-5f);
    EXPECT_NEAR(green().centre.y, 2.0f, 1e-5f);
    const double t = quarterTurn;
    EXPECT_EQ(animatedLight->position().x, static_cast<float>(5.0 * std::cos(t)));
    EXPECT_EQ(animatedLight->position().y, static_cast<float>(5.0 * std::sin(t)));
    EXPECT_EQ(green().radius(), 0.7f);
}

TEST_F(FrameRenderer, WritesEveryPixelOnceColumnByColumn) {
    RecordingCanvas canvas(10, 10);  // smaller than the frame: the loop does not ask
    renderFrameAt(canvas, 1.0f);
    ASSERT_EQ(canvas.plots.size(), 160000u);
    EXPECT_EQ(canvas.plots[1].at.x, 0.0f);
    EXPECT_EQ(canvas.plots[1].at.y, 1.0f);
    EXPECT_EQ(canvas.plots[400].at.x, 1.0f);
    EXPECT_EQ(canvas.plots[400].at.y, 0.0f);
    EXPECT_EQ(canvas.plots.back().at.x, 399.0f);
    EXPECT_EQ(canvas.plots.back().at.y, 399.0f);
}

TEST_F(FrameRenderer, RaysThatMeetNothingShowTheBackground) {
    MemoryCanvas canvas(400, 400);
    renderFrameAt(canvas, 0.0f);
    // Up and to the left, away from the wall: nothing but sky.
    EXPECT_EQ(canvas.pixel(0, 0), 0x00333333u);
    EXPECT_EQ(canvas.pixel(150, 20), 0x00333333u);
}

TEST(FrameRendererClamp, ClampsAboveOneAndPutsRedInTheRedByte) {
    // One object filling the view: pure red, unlit, ambient 0.3 → red byte 76.
    Scene* saved = appScene;
    Scene scene;
    scene.addObject(new SceneObject(Material({5, 0.25f / 0.3f, 0}, 0, 1, 0), new FixedShape(1)));
    appScene = &scene;
    Light* savedLight = animatedLight;
    SceneObject* savedSphere = animatedSphere;
    animatedLight = nullptr;
    animatedSphere = nullptr;
    MemoryCanvas canvas(400, 400);
    renderFrameAt(canvas, 3.0f);
    appScene = saved;
    animatedLight = savedLight;
    animatedSphere = savedSphere;
    // (1.5, 0.25, 0) clamped to (1, 0.25, 0): red 255, green 63, blue 0.
    EXPECT_EQ(canvas.pixel(17, 300), 0x00FF3F00u);
}

}  // namespace
