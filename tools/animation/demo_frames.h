// demoFrameWork: the demo's frames, as render-animation's workers make them.
#pragma once

#include "animation/frame_scheduler.h"
#include "animation/frame_sequence.h"

// DemoAnimation's frames are 400 x 400.
inline constexpr std::int32_t demoFrameSize = 400;

// Each call gives a worker with a DemoAnimation of its own, drawing frame k
// at sequence.time(k); with asPng it also encodes the frame as PNG in the
// slot, so that compressing runs on every core too.
FrameWorkFactory demoFrameWork(const FrameSequence& sequence, bool asPng);
