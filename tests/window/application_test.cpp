#include "app/application.h"
#include "app/demo_scene.h"
#include "bmpwindow/bmp_window.h"
#include "geometry/shape.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "window_fixture.h"

namespace {

using ApplicationTest = WindowTest;

// Notes how many windows are alive when the scene deletes it.
int windowsWhenSceneDied = -1;
class Probe final : public Shape {
public:
    ~Probe() override { windowsWhenSceneDied = BmpWindow::instanceCount(); }
    float intersect(const Ray&) const override { return MISS_DISTANCE; }
    Vector3 normalAt(const Vector3&) const override { return {0, 0, 1}; }
};

TEST_F(ApplicationTest, WindowSizeIsFixed) {
    std::int32_t w = 0, h = 0;
    getWindowSize(w, h);
    EXPECT_EQ(w, 400);
    EXPECT_EQ(h, 400);
}

TEST_F(ApplicationTest, InitFramesAndShutsDownSceneFirst) {
    const int windowsBefore = BmpWindow::instanceCount();
    ASSERT_TRUE(appInit());
    ASSERT_NE(appWindow, nullptr);
    ASSERT_NE(appScene, nullptr);
    EXPECT_EQ(appWindow->width(), 400);
    EXPECT_EQ(appScene->objects().size(), 4u);

    appFrame();
    // The top-left ray meets nothing: the background, 51 in each channel.
    EXPECT_EQ(appWindow->surface().pixels()[0], 0x00333333u);

    appScene->addObject(new SceneObject(Material({0, 0, 0}, 0, 1, 0), new Probe));
    appShutdown();
    EXPECT_EQ(appScene, nullptr);
    EXPECT_EQ(windowsWhenSceneDied, windowsBefore + 1);
    EXPECT_EQ(BmpWindow::instanceCount(), windowsBefore);
}

}  // namespace
