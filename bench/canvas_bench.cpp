#include <benchmark/benchmark.h>

#include <limits>

#include "bmpwindow/memory_canvas.h"

// Drawing on canvases without pixels but with one side at the int32 limit:
// the calls should cost next to nothing, not a walk along that side.
namespace {

constexpr std::int32_t MAX = std::numeric_limits<std::int32_t>::max();
const Vector3 WHITE(1, 1, 1);

void ZeroAreaDrawLine(benchmark::State& state) {
    MemoryCanvas canvas(MAX, 0);
    for (auto _ : state) canvas.drawLine(Point2(0, 0), Point2(2147483520.0f, 0), WHITE);
}
BENCHMARK(ZeroAreaDrawLine);

void ZeroAreaDefaultFillRect(benchmark::State& state) {
    MemoryCanvas canvas(MAX, 0);
    for (auto _ : state) canvas.Canvas::fillRect(Point2(0, 0), MAX, 10, WHITE);
}
BENCHMARK(ZeroAreaDefaultFillRect);

void ZeroAreaTallFillRect(benchmark::State& state) {
    MemoryCanvas canvas(0, MAX);
    for (auto _ : state) canvas.Canvas::fillRect(Point2(0, 0), 10, MAX, WHITE);
}
BENCHMARK(ZeroAreaTallFillRect);

void ZeroAreaRawSurfaceLine(benchmark::State& state) {
    PixelSurface surface(nullptr, 0, MAX);
    for (auto _ : state) surface.drawLine(0, 0, 0, 2147483520, 1);
}
BENCHMARK(ZeroAreaRawSurfaceLine);

}  // namespace
