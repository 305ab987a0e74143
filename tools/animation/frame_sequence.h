// FrameSequence: the frames of an animation between two times at a frame rate.
#pragma once

#include <cstdint>

// Frame k is at from + k / fps, worked out in double, for every k with that
// time before `to`.
struct FrameSequence {
    double from = 0.0;
    double to = 0.0;
    double fps = 1.0;

    // The number of frames, or limit + 1 when there are more than limit.
    std::int64_t count(std::int64_t limit) const;

    // Frame k's time, narrowed to float as render-frame narrows its --time.
    float time(std::int64_t k) const { return static_cast<float>(secondsAt(k)); }
    double secondsAt(std::int64_t k) const { return from + static_cast<double>(k) / fps; }
};

// Frames first to last - 1 of a sequence.
struct FrameRange {
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::int64_t size() const { return last - first; }
};
