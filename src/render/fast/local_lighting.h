// Local lighting of many shading points, several at a time.
#pragma once

#include <cstdint>

#include "render/fast/frame_tracer.h"
#include "render/fast/lanes.h"

// The local part of the lighting model (the ambient term, then each light's
// diffuse and specular term unless it faces away or is shadowed) at many
// shading points, worked out several at a time: every step is done for all
// of them before the next, so that their long chains of square root,
// division and power overlap. Each point gets the very arithmetic of
// shadeSteps; a shadow ray is tested against every shape even after one
// blocks it, which gives the same answer.

// locals[k] = the local colour at jobs[k], by the fastest of the ways below.
void localLighting(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals);

// Four points at a time, one at a time per step, in plain C++.
void localLightingPlain(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals);

#ifdef RT_SIMD_LANES
// Four at a time in vector registers.
void localLightingVector(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals);
#ifdef RT_AVX2_COPIES
// Eight at a time with AVX2.
void localLightingVectorAvx2(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals);
#endif
#endif
