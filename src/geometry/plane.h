// Plane: an infinite flat shape, such as a floor or a wall, given by its PlaneEquation.
#pragma once

#include "geometry/shape.h"

// The points p with dot(normal, p) == offset; normal is a unit vector.
class PlaneEquation {
public:
    PlaneEquation(const Vector3& normal, float offset) : offset_(offset), normal_(normal) {}

    float offset() const { return offset_; }
    const Vector3& normal() const { return normal_; }

private:
    float offset_;
    Vector3 normal_;
};

// t with origin + t·direction on the plane dot(normal, p) == offset. Shared by
// Plane::intersect and the renderer's inlined tests, so both give the same bits.
inline float planeDistance(const Vector3& normal, float offset, const Ray& ray) {
    const float a = dot(ray.origin, normal);
    const float b = a - offset;
    return b / -dot(normal, ray.direction);
}

// An infinite plane, hit from either side; both sides share one normal.
class Plane final : public Shape {
public:
    explicit Plane(const PlaneEquation& equation) : equation_(equation) {}

    // No parallel-ray or behind-origin test: those give an infinity, NaN or a
    // negative distance, all of which callers reject.
    float intersect(const Ray& ray) const override {
        return planeDistance(equation_.normal(), equation_.offset(), ray);
    }
    Vector3 normalAt(const Vector3&) const override { return equation_.normal(); }

    const PlaneEquation& equation() const { return equation_; }

private:
    PlaneEquation equation_;
};
