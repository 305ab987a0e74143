// renderFrames: frames made on several threads at once and handed on one by one, in order.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "animation/frame_sequence.h"
#include "bmpwindow/memory_canvas.h"

// One frame in flight: its picture and what the worker made of it. A slot
// belongs to one worker while it makes the frame, then to the sink.
struct FrameSlot {
    FrameSlot(std::int32_t width, std::int32_t height) : canvas(width, height) {}
    MemoryCanvas canvas;
    std::vector<unsigned char> encoded;
    std::string error;  // set by a worker whose frame failed
};

// Makes frame k in a slot. Each thread makes its own with the factory (which
// the threads call at once), so that nothing a worker writes is shared.
using FrameWork = std::function<void(std::int64_t k, FrameSlot& slot)>;
using FrameWorkFactory = std::function<FrameWork()>;
// Takes the frames in order on the calling thread; false stops the run.
using FrameSink = std::function<bool(std::int64_t k, FrameSlot& slot)>;

struct ScheduleOptions {
    int jobs = 1;
    int slotsPerJob = 2;  // frames in flight: at most jobs * slotsPerJob
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::atomic<bool>* stop = nullptr;  // polled; set from anywhere, a signal handler too
};

enum class ScheduleEnd { done, sinkFailed, stopped };

// The frames of range, made by opts.jobs workers and given to sink in order.
// Returns once every worker has finished the frame it was making.
ScheduleEnd renderFrames(FrameRange range, const ScheduleOptions& opts, const FrameWorkFactory& makeWork,
                         const FrameSink& sink);
