#include "geometry/plane.h"

float Plane::intersect(const Ray& ray) const {
    const Vector3& n = equation_.normal();
    const float a = dot(ray.origin, n);
    const float b = a - equation_.offset();
    return b / -dot(n, ray.direction);
}
