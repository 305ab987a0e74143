#include "scene/hit_lanes.h"

#ifdef RT_SIMD_LANES

using namespace lanes;

// Each shape's test is its scalar function's steps lane by lane; a sphere's
// early misses become a mask, and its square root is skipped when no lane
// needs it.
RT_LANE_CLONES void addHitsFour(const FrameTracer& tracer, const Vector3* const* origins,
                                const Vector3* const* directions, const std::int32_t* indices, std::int32_t count,
                                Hit* const* hits) {
    V4 origin, direction;
    F4 best;
    M4 bestIndex;
    for (int l = 0; l < 4; ++l) {
        origin.x[l] = origins[l]->x, origin.y[l] = origins[l]->y, origin.z[l] = origins[l]->z;
        direction.x[l] = directions[l]->x, direction.y[l] = directions[l]->y, direction.z[l] = directions[l]->z;
        best[l] = hits[l]->distance;
        bestIndex[l] = hits[l]->index;
    }
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t i = indices[k];
        const ShapeRecord& shape = tracer.record(i);
        F4 t = splat(MISS_DISTANCE);
        M4 reached = ~M4{};
        switch (shape.kind) {
            case ShapeRecord::Kind::Plane: {
                const V4 n = splat(shape.vector);
                const F4 b = dot(origin, n) - shape.scalar;
                t = b / -dot(n, direction);
                break;
            }
            case ShapeRecord::Kind::Sphere: {
                const V4 toCentre = splat(shape.vector) - origin;
                const F4 tca = dot(toCentre, direction);
                const D4 tcaWide = wide(tca);
                const F4 d2 = narrow(wide(dot(toCentre, toCentre)) - tcaWide * tcaWide);
                reached = ~(tca < 0.0f) & ~(d2 > shape.scalar);
                if (!any(reached)) continue;
                t = narrow(tcaWide - sqrt(wide(splat(shape.scalar)) - wide(d2)));
                break;
            }
            case ShapeRecord::Kind::Other:
                for (int l = 0; l < 4; ++l) t[l] = shape.shape->intersect(Ray(*origins[l], *directions[l]));
                break;
        }
        const M4 index = M4{i, i, i, i};
        const M4 accept = reached & (t >= 0.0f) & ((t < best) | ((t == best) & (index < bestIndex)));
        best = accept ? t : best;
        bestIndex = accept ? index : bestIndex;
    }
    for (int l = 0; l < 4; ++l) *hits[l] = Hit{best[l], bestIndex[l]};
}

#endif
