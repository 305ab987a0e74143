// Sphere: a round shape whose centre may be moved from frame to frame.
#pragma once

#include "geometry/shape.h"

class Sphere final : public Shape {
public:
    Sphere(const Vector3& centre, float radius)
        : centre(centre), radius_(radius), radiusSquared_(radius * radius), inverseRadius_(1.0f / radius) {}

    // Nearest surface in front of the origin along a unit direction; a ray
    // starting inside never hits.
    float intersect(const Ray& ray) const override;

    // Not renormalised: slightly off the surface it is slightly off unit length.
    Vector3 normalAt(const Vector3& point) const override { return (point - centre).scaled(inverseRadius_); }

    float radius() const { return radius_; }
    float radiusSquared() const { return radiusSquared_; }
    float inverseRadius() const { return inverseRadius_; }

    Vector3 centre;  // moved freely; the radius terms do not depend on it

private:
    float radius_;
    float radiusSquared_;
    float inverseRadius_;
};
