// How a frame's cost grows with the number of spheres: the field of
// many_spheres.h at 640 x 360 on one thread, with the camera still and with
// it moving every frame, and with every sphere moved every frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bmpwindow/memory_canvas.h"
#include "many_spheres.h"
#include "many_spheres_sizes.h"
#include "render/fast/sphere_tree.h"
#include "render/scene_renderer.h"

namespace {

// The moving camera's turn in frame k: to and fro about the still one.
float sway(int k) { return 0.002f * static_cast<float>(k % 10 - 5); }

void countFrames(benchmark::State& state) {
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The first frames, which make the tables, are left to the warm-up.
void ManySpheresStill(benchmark::State& state) {
    Scene scene;
    buildManySpheres(scene, static_cast<std::int32_t>(state.range(0)));
    const PinholeCamera camera = manySpheresCamera();
    MemoryCanvas canvas(MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT);
    SceneRenderer renderer;
    for (int k = 0; k < 2; ++k) renderer.render(scene, camera, canvas);
    for (auto _ : state) {
        renderer.render(scene, camera, canvas);
        benchmark::DoNotOptimize(canvas.pixel(320, 180));
    }
    countFrames(state);
}

void ManySpheresMoving(benchmark::State& state) {
    Scene scene;
    buildManySpheres(scene, static_cast<std::int32_t>(state.range(0)));
    MemoryCanvas canvas(MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT);
    SceneRenderer renderer;
    int frame = 0;
    for (auto _ : state) {
        renderer.render(scene, manySpheresCamera(sway(++frame)), canvas);
        benchmark::DoNotOptimize(canvas.pixel(320, 180));
    }
    countFrames(state);
}

// Every sphere nudged up or down each frame, under a still camera: the
// tree is refitted every frame and no table of fixed shapes holds.
void ManySpheresAllMoved(benchmark::State& state) {
    Scene scene;
    std::vector<Sphere*> spheres = buildManySpheres(scene, static_cast<std::int32_t>(state.range(0)));
    const PinholeCamera camera = manySpheresCamera();
    MemoryCanvas canvas(MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT);
    SceneRenderer renderer;
    float lift = 0.01f;
    for (auto _ : state) {
        for (Sphere* s : spheres) s->centre.z += lift;
        lift = -lift;
        renderer.render(scene, camera, canvas);
        benchmark::DoNotOptimize(canvas.pixel(320, 180));
    }
    countFrames(state);
}

// The frame that makes the still camera's tables, after one that moved; the
// counter `ratio` is its cost over that of the steady frame after it, both
// timed in each round, so that a slow spell of the machine hits both.
void ManySpheresTableFrame(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    Scene scene;
    buildManySpheres(scene, static_cast<std::int32_t>(state.range(0)));
    MemoryCanvas canvas(MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT);
    SceneRenderer renderer;
    int frame = 0;
    std::vector<double> ratios;
    for (auto _ : state) {
        state.PauseTiming();
        const float turn = sway(++frame);
        renderer.render(scene, manySpheresCamera(turn + 0.001f), canvas);  // moved: no table
        renderer.render(scene, manySpheresCamera(turn), canvas);           // moved again
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        renderer.render(scene, manySpheresCamera(turn), canvas);  // still: the tables are made
        const Clock::time_point made = Clock::now();
        state.PauseTiming();
        renderer.render(scene, manySpheresCamera(turn), canvas);  // the steady frame after it
        ratios.push_back(std::chrono::duration<double>(made - start) / (Clock::now() - made));
        state.ResumeTiming();
        benchmark::DoNotOptimize(canvas.pixel(320, 180));
    }
    countFrames(state);
    std::sort(ratios.begin(), ratios.end());
    if (!ratios.empty()) state.counters["ratio"] = ratios[ratios.size() / 2];
}

// Building the renderer's tree over the field's spheres from nothing, and
// the bytes it then holds per sphere.
void ManySpheresTreeBuild(benchmark::State& state) {
    Scene scene;
    const auto n = static_cast<std::int32_t>(state.range(0));
    const std::vector<Sphere*> spheres = buildManySpheres(scene, n);
    std::vector<ShapeRecord> records;
    records.reserve(spheres.size());
    for (const Sphere* s : spheres) records.push_back(ShapeRecord::of(s));
    std::size_t bytes = 0;
    for (auto _ : state) {
        SphereTree tree;
        tree.update(records.data(), n);
        bytes = tree.bytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes_per_sphere"] = static_cast<double>(bytes) / static_cast<double>(n);
}

}  // namespace

BENCHMARK(ManySpheresStill)->Name("ManySpheres/still")->Apply(manySpheresSizes);
BENCHMARK(ManySpheresMoving)->Name("ManySpheres/moving")->Apply(manySpheresSizes);
BENCHMARK(ManySpheresAllMoved)->Name("ManySpheres/all_moved")->Apply(manySpheresSizes);
BENCHMARK(ManySpheresTableFrame)->Name("ManySpheres/table_frame")->Apply(manySpheresSizes);
BENCHMARK(ManySpheresTreeBuild)->Name("ManySpheres/tree_build")->Arg(16384)->Arg(1000000)->ArgName("N")->Unit(benchmark::kMillisecond);
