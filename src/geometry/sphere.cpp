#include "geometry/sphere.h"

#include <cmath>

float Sphere::intersect(const Ray& ray) const {
    const Vector3 toCentre = centre - ray.origin;
    const float tca = dot(toCentre, ray.direction);
    if (tca < 0.0f) return MISS_DISTANCE;
    const double tcaWide = tca;
    const float d2 = static_cast<float>(toCentre.lengthSquared() - tcaWide * tcaWide);
    if (d2 > radiusSquared_) return MISS_DISTANCE;
    return static_cast<float>(tcaWide - std::sqrt(static_cast<double>(radiusSquared_) - d2));
}
