// Nearest hits of four rays at once.
#pragma once

#include <cstdint>

#include "scene/frame_tracer.h"
#include "scene/lanes.h"

#ifdef RT_SIMD_LANES
// hits[l] gains the hits, along the ray from *origins[l] in *directions[l], of
// the shapes `indices` (the least (distance, index) pair, as
// FrameTracer::addHits keeps it), for four rays in vector registers.
void addHitsFour(const FrameTracer& tracer, const Vector3* const* origins, const Vector3* const* directions,
                 const std::int32_t* indices, std::int32_t count, Hit* const* hits);
#endif
