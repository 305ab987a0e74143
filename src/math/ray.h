// Ray: an origin and a direction, what the tracer follows through a scene.
#pragma once

#include "math/vector3.h"

// A half-line. The direction is kept as given: callers pass unit vectors,
// and the sphere test's distances are only right for those.
struct Ray {
    Vector3 origin;
    Vector3 direction;

    Ray(const Vector3& origin_, const Vector3& direction_) : origin(origin_), direction(direction_) {}
};
