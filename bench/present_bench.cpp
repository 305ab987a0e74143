#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bmpwindow/bmp_window.h"

namespace {

// Showing one 400 x 400 frame: on the X server in DISPLAY, or offscreen without one.
void PresentFrame(benchmark::State& state) {
    if (std::getenv("DISPLAY") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    BmpWindow window(30, 30, 400, 400, nullptr);
    if (!window.failure().empty()) {
        state.SkipWithError(window.failure().c_str());
        return;
    }
    window.fillRect(Point2(0, 0), 400, 400, {0.2f, 0.4f, 0.6f});
    for (auto _ : state) window.endFrame();
}
BENCHMARK(PresentFrame)->Unit(benchmark::kMillisecond);

}  // namespace
