// Sphere: a round shape whose centre may be moved from frame to frame.
#pragma once

#include <cmath>

#include "geometry/shape.h"

// The geometric test: the near surface along a unit direction, or
// MISS_DISTANCE. Shared by Sphere::intersect and the renderer's inlined tests.
// For a direction of length s it accepts a centre at distance a along the ray
// and b from it when b^2 <= r^2 + (s^2 - 1) a^2: a cone that widens with
// distance rather than a cylinder of radius r.
inline float sphereDistance(const Vector3& centre, float radiusSquared, const Ray& ray) {
    const Vector3 toCentre = centre - ray.origin;
    const float tca = dot(toCentre, ray.direction);
    if (tca < 0.0f) return MISS_DISTANCE;
    const double tcaWide = tca;
    const float d2 = static_cast<float>(toCentre.lengthSquared() - tcaWide * tcaWide);
    if (d2 > radiusSquared) return MISS_DISTANCE;
    return static_cast<float>(tcaWide - std::sqrt(static_cast<double>(radiusSquared) - d2));
}

inline Vector3 sphereNormal(const Vector3& centre, float inverseRadius, const Vector3& point) {
    return (point - centre).scaled(inverseRadius);
}

class Sphere final : public Shape {
public:
    Sphere(const Vector3& centre, float radius)
        : centre(centre), radius_(radius), radiusSquared_(radius * radius), inverseRadius_(1.0f / radius) {}

    // Nearest surface in front of the origin along a unit direction; a ray
    // starting inside never hits.
    float intersect(const Ray& ray) const override { return sphereDistance(centre, radiusSquared_, ray); }

    // Not renormalised: slightly off the surface it is slightly off unit length.
    // The scene shades at 0.999 of the hit distance, just outside the sphere,
    // so the normal there, and the mirror ray made from it, is a little longer
    // than 1; along a chain of mirrors the excess compounds.
    Vector3 normalAt(const Vector3& point) const override { return sphereNormal(centre, inverseRadius_, point); }

    float radius() const { return radius_; }
    float radiusSquared() const { return radiusSquared_; }
    float inverseRadius() const { return inverseRadius_; }

    Vector3 centre;  // moved freely; the radius terms do not depend on it

private:
    float radius_;
    float radiusSquared_;
    float inverseRadius_;
};
