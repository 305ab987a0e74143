// Nearest hits of several rays at once, in vector registers.
#pragma once

#include <cstdint>

#include "render/fast/frame_tracer.h"
#include "render/fast/lanes.h"

#ifdef RT_SIMD_LANES
// hits[r] gains the hits, along rays.ray(r), of the shapes `indices`: the
// least (distance, index) pair, as FrameTracer::addHits keeps it, for the
// rays first to first + n - 1, four at a time.
void addHitsVector(const FrameTracer& tracer, const FrameTracer::RayArrays& rays, std::int32_t first, std::int32_t n,
                   Hit* hits, const std::int32_t* indices, std::int32_t count);
// The same for n rays from one origin along rays[k].direction into hits[k].
void addPrimaryHitsVector(const FrameTracer& tracer, const Vector3& origin, const HintedDirection* rays, Hit* hits,
                          std::int32_t n, const std::int32_t* indices, std::int32_t count);
#ifdef RT_AVX2_COPIES
// The same with AVX2, eight at a time.
void addHitsVectorAvx2(const FrameTracer& tracer, const FrameTracer::RayArrays& rays, std::int32_t first,
                       std::int32_t n, Hit* hits, const std::int32_t* indices, std::int32_t count);
void addPrimaryHitsVectorAvx2(const FrameTracer& tracer, const Vector3& origin, const HintedDirection* rays,
                              Hit* hits, std::int32_t n, const std::int32_t* indices, std::int32_t count);
#endif
#endif
