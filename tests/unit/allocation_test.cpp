#include <gtest/gtest.h>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/memory_canvas.h"
#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "render/pinhole_camera.h"
#include "render/scene_renderer.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

#ifndef RT_NO_ALLOCATION_COUNT

#include <cstdlib>
#include <new>
#include <vector>

namespace {
std::size_t allocations = 0;
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(FrameAllocations, TracingAFrameAllocatesNothing) {
    buildScene();
    MemoryCanvas canvas(FRAME_SIZE, FRAME_SIZE);
    renderFrameAt(canvas, 0.5f);  // the renderer's tables are made here
    const std::size_t before = allocations;
    renderFrameAt(canvas, 1.0f);
    renderFrameAt(canvas, 7.5f);
    renderFrameAt(canvas, 7.5f);
    const std::size_t during = allocations - before;
    destroyScene();
    EXPECT_EQ(during, 0u);
    EXPECT_GT(before, 0u);  // the counter does see the scene being built
}

// Any scene and camera: once a frame of a size has been traced, frames of
// that size or smaller allocate nothing, whether the camera moves or not
// and whether shapes are found to move or not.
TEST(FrameAllocations, ARendererAllocatesOnlyWhenTheImageGrows) {
    Scene scene;
    scene.addObject(new SceneObject(Material({1, 1, 1}, 0.5f, 20, 0.6f), new Plane(PlaneEquation({0, 0, 1}, 0))));
    std::vector<Sphere*> spheres;
    for (int k = 0; k < 40; ++k) {
        spheres.push_back(new Sphere({5.0f + static_cast<float>(k % 5), static_cast<float>(k / 5) - 4.0f, 1}, 0.4f));
        scene.addObject(new SceneObject(Material({0.2f, 0.9f, 0.4f}, 0.4f, 20, 0.3f), spheres.back()));
    }
    scene.addLight(new Light({0, 0, 5}, {100, 100, 100}));
    MemoryCanvas canvas(333, 71);
    MemoryCanvas smaller(100, 7);
    SceneRenderer renderer;
    PinholeCamera camera({-3, 0, 2}, {5, 0, 1}, {0, 0, 1}, 50);
    renderer.render(scene, camera, canvas);
    const std::size_t before = allocations;
    renderer.render(scene, camera, canvas);  // still: the hints are made
    renderer.render(scene, camera, canvas);
    spheres[3]->centre.z = 1.5f;  // a fixed shape moves
    renderer.render(scene, camera, canvas);
    for (float x = -3.0f; x < -2.0f; x += 0.25f) renderer.render(scene, PinholeCamera({x, 0, 2}, {5, 0, 1}, {0, 0, 1}, 50), canvas);
    renderer.render(scene, camera, smaller);
    EXPECT_EQ(allocations - before, 0u);
}

}  // namespace

#endif
