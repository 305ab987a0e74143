// Local lighting of many shading points, four at a time.
#pragma once

#include <cstdint>

#include "scene/frame_tracer.h"
#include "scene/lanes.h"

// The local part of the lighting model (the ambient term, then each light's
// diffuse and specular term unless it faces away or is shadowed) at many
// shading points, worked out four at a time: every step is done for all
// four points before the next, so that their long chains of square root,
// division and power overlap. Each point gets the very arithmetic of
// shadeSteps; a shadow ray is tested against every shape even after one
// blocks it, which gives the same answer.
inline constexpr int LIGHTING_LANES = 4;

// locals[k] = the local colour at jobs[k].
void localLighting(const FrameTracer& tracer, const ShadingJob* jobs, std::int32_t count, Vector3* locals);

// Four points, one at a time per step, in plain C++.
void localLightingLanes(const FrameTracer& tracer, const ShadingJob* const* jobs, Vector3* locals);

#ifdef RT_SIMD_LANES
// Four points in vector registers (the compiler's vector extensions): the
// same IEEE operations on each lane, so the same bits.
void localLightingSimd(const FrameTracer& tracer, const ShadingJob* const* jobs, Vector3* locals);
#endif
