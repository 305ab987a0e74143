#include <benchmark/benchmark.h>

#include "animation/demo_frames.h"
#include "animation/frame_scheduler.h"

namespace {

// render-animation's work for a PNG sequence, without the disk: 24 frames
// of a 15 frames per second sequence traced and encoded on state.range(0)
// threads, each with a renderer made anew as in a run of the tool.
void AnimationFrames(benchmark::State& state) {
    const FrameSequence sequence{0.0, 1.6, 15.0};
    const FrameRange range{0, sequence.count(1000)};
    ScheduleOptions options;
    options.jobs = static_cast<int>(state.range(0));
    options.width = demoFrameSize;
    options.height = demoFrameSize;
    const FrameWorkFactory work = demoFrameWork(sequence, true);
    std::size_t bytes = 0;
    const FrameSink sink = [&bytes](std::int64_t, FrameSlot& slot) {
        bytes += slot.encoded.size();
        return true;
    };
    for (auto _ : state) {
        if (renderFrames(range, options, work, sink) != ScheduleEnd::done) state.SkipWithError("a frame failed");
    }
    benchmark::DoNotOptimize(bytes);
    const double frames = static_cast<double>(state.iterations() * range.size());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}
BENCHMARK(AnimationFrames)->ArgName("jobs")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
