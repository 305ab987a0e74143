#include <benchmark/benchmark.h>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/memory_canvas.h"
#include "math/ray.h"
#include "scene/scene.h"

namespace {

// One whole frame at animation time t, repeated; the first, which makes the
// renderer's tables, is left to the warm-up.
void Frame(benchmark::State& state, float t) {
    buildScene();
    MemoryCanvas canvas(FRAME_SIZE, FRAME_SIZE);
    renderFrameAt(canvas, t);
    for (auto _ : state) {
        renderFrameAt(canvas, t);
        benchmark::DoNotOptimize(canvas.pixel(200, 200));
    }
    destroyScene();
    state.SetItemsProcessed(state.iterations() * FRAME_SIZE * FRAME_SIZE);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(Frame, t1, 1.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Frame, t20, 20.0f)->Unit(benchmark::kMillisecond);

// The centre ray: it meets the red sphere, reflects and casts a shadow ray.
void PrimaryRayTrace(benchmark::State& state) {
    buildScene();
    MemoryCanvas canvas(1, 1);
    renderFrameAt(canvas, 1.0f);  // places the light and the green sphere
    const Ray ray(cameraPosition, primaryRayDirection(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    for (auto _ : state) {
        Vector3 colour;
        appScene->trace(ray, colour);
        benchmark::DoNotOptimize(colour);
    }
    destroyScene();
}
BENCHMARK(PrimaryRayTrace)->Args({200, 200})->Args({200, 399})->Args({0, 0});

}  // namespace
