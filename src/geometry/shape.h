// Shape: what a scene object's surface answers: where a ray meets it, and its normal there.
#pragma once

#include "math/ray.h"
#include "math/vector3.h"

// What a shape returns when its own test finds nothing. Callers accept only
// 0 <= t < limit, so this, any other negative value, infinities and NaN all miss.
inline constexpr float MISS_DISTANCE = -666.0f;

class Shape {
public:
    Shape() = default;
    Shape(const Shape&) = delete;
    Shape& operator=(const Shape&) = delete;
    virtual ~Shape() = default;

    // Distance along the ray to the surface, in units of the direction's length.
    virtual float intersect(const Ray& ray) const = 0;
    virtual Vector3 normalAt(const Vector3& point) const = 0;
};
