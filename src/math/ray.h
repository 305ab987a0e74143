// Ray: an origin and a direction, what the tracer follows through a scene.
#pragma once

#include "math/vector3.h"

// A half-line. The direction is kept as given and never renormalised. The
// model's own mirror rays off spheres are a little longer than unit (see
// Sphere::normalAt), so a shape of a user's own receives such rays too and
// should not assume a unit direction.
struct Ray {
    Vector3 origin;
    Vector3 direction;

    Ray(const Vector3& origin_, const Vector3& direction_) : origin(origin_), direction(direction_) {}
};
