// One 960 x 540 frame of the thousand-sphere field on 1 and 2 threads, still
// and moving: the speed-up ParallelRenderer gives is the ratio of the two.
#include <benchmark/benchmark.h>

#include "bmpwindow/memory_canvas.h"
#include "many_spheres.h"
#include "render/parallel_renderer.h"
#include "render/scene_renderer.h"

namespace {

constexpr std::int32_t WIDTH = 960;
constexpr std::int32_t HEIGHT = 540;

void ParallelStill(benchmark::State& state) {
    Scene scene;
    buildManySpheres(scene, 1000);
    const PinholeCamera camera = manySpheresCamera();
    MemoryCanvas canvas(WIDTH, HEIGHT);
    ParallelRenderer renderer(static_cast<std::int32_t>(state.range(0)));
    for (int k = 0; k < 2; ++k) renderer.render(scene, camera, canvas);  // the tables
    for (auto _ : state) {
        renderer.render(scene, camera, canvas);
        benchmark::DoNotOptimize(canvas.pixel(480, 270));
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void ParallelMoving(benchmark::State& state) {
    Scene scene;
    buildManySpheres(scene, 1000);
    MemoryCanvas canvas(WIDTH, HEIGHT);
    ParallelRenderer renderer(static_cast<std::int32_t>(state.range(0)));
    int frame = 0;
    for (auto _ : state) {
        renderer.render(scene, manySpheresCamera(0.002f * static_cast<float>(++frame % 10 - 5)), canvas);
        benchmark::DoNotOptimize(canvas.pixel(480, 270));
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The same frames through one SceneRenderer on the caller's thread: what
// the bands cost on one thread, beside ParallelRenderer's figures for 1.
void PlainStill(benchmark::State& state) {
    Scene scene;
    buildManySpheres(scene, 1000);
    const PinholeCamera camera = manySpheresCamera();
    MemoryCanvas canvas(WIDTH, HEIGHT);
    SceneRenderer renderer;
    for (int k = 0; k < 2; ++k) renderer.render(scene, camera, canvas);
    for (auto _ : state) {
        renderer.render(scene, camera, canvas);
        benchmark::DoNotOptimize(canvas.pixel(480, 270));
    }
}

void PlainMoving(benchmark::State& state) {
    Scene scene;
    buildManySpheres(scene, 1000);
    MemoryCanvas canvas(WIDTH, HEIGHT);
    SceneRenderer renderer;
    int frame = 0;
    for (auto _ : state) {
        renderer.render(scene, manySpheresCamera(0.002f * static_cast<float>(++frame % 10 - 5)), canvas);
        benchmark::DoNotOptimize(canvas.pixel(480, 270));
    }
}

}  // namespace

// Wall time: the work is on the pool's threads, not the caller's.
BENCHMARK(ParallelStill)->Name("Parallel960x540/still")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ParallelMoving)->Name("Parallel960x540/moving")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PlainStill)->Name("Parallel960x540/still/one_scene_renderer")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PlainMoving)->Name("Parallel960x540/moving/one_scene_renderer")->UseRealTime()->Unit(benchmark::kMillisecond);
