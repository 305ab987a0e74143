// own-scene's ring, 320 x 240, traced by the plain loop and by SceneRenderer,
// with the camera still and with it moving every frame.
#include <benchmark/benchmark.h>

#include <cmath>

#include "bmpwindow/memory_canvas.h"
#include "render/pinhole_camera.h"
#include "render/scene_renderer.h"
#include "ring_scene.h"

namespace {

constexpr std::int32_t WIDTH = 320;
constexpr std::int32_t HEIGHT = 240;

// own-scene's camera, turned by angle about the ring's axis.
PinholeCamera ringCamera(float angle) {
    const Vector3 eye(8.0f * std::sin(angle), -8.0f * std::cos(angle), 4.0f);
    return PinholeCamera(eye, Vector3(0.0f, 0.0f, 0.6f), Vector3(0.0f, 0.0f, 1.0f), 44.8323f);
}

void countFrames(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * WIDTH * HEIGHT);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void OwnSceneModel(benchmark::State& state) {
    Scene scene;
    buildRing(scene);
    const PinholeCamera camera = ringCamera(0.0f);
    MemoryCanvas canvas(WIDTH, HEIGHT);
    for (auto _ : state) {
        for (std::int32_t i = 0; i < WIDTH; ++i) {
            for (std::int32_t j = 0; j < HEIGHT; ++j) {
                Vector3 c;
                scene.trace(Ray(camera.position(), camera.direction(i, j, WIDTH, HEIGHT)), c);
                c.clampToOne();
                canvas.setPixel(i, j, Vector3(c.z, c.y, c.x));
            }
        }
        benchmark::DoNotOptimize(canvas.pixel(160, 120));
    }
    countFrames(state);
}
BENCHMARK(OwnSceneModel)->Name("OwnScene/model")->Unit(benchmark::kMillisecond);

// The first frames, which make the tables, are left to the warm-up.
void OwnSceneRenderer(benchmark::State& state) {
    Scene scene;
    buildRing(scene);
    const PinholeCamera camera = ringCamera(0.0f);
    MemoryCanvas canvas(WIDTH, HEIGHT);
    SceneRenderer renderer;
    for (int k = 0; k < 2; ++k) renderer.render(scene, camera, canvas);
    for (auto _ : state) {
        renderer.render(scene, camera, canvas);
        benchmark::DoNotOptimize(canvas.pixel(160, 120));
    }
    countFrames(state);
}
BENCHMARK(OwnSceneRenderer)->Name("OwnScene/renderer")->Unit(benchmark::kMillisecond);

// A camera that sways to and fro about own-scene's: another place and another way of
// looking every frame, over much the same picture as the still one.
void OwnSceneMovingCamera(benchmark::State& state) {
    Scene scene;
    buildRing(scene);
    MemoryCanvas canvas(WIDTH, HEIGHT);
    SceneRenderer renderer;
    int frame = 0;
    for (auto _ : state) {
        renderer.render(scene, ringCamera(0.002f * static_cast<float>(++frame % 10 - 5)), canvas);
        benchmark::DoNotOptimize(canvas.pixel(160, 120));
    }
    countFrames(state);
}
BENCHMARK(OwnSceneMovingCamera)->Name("OwnScene/moving_camera")->Unit(benchmark::kMillisecond);

}  // namespace
