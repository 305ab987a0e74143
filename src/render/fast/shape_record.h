// ShapeRecord: a shape as a tagged record, tested inline without a virtual call.
#pragma once

#include <cstdint>
#include <cstring>

#include "geometry/plane.h"
#include "geometry/sphere.h"

// A shape as a tagged record: the fast path's one place of dispatch. Planes
// and spheres are tested inline from a copy of their geometry, through the
// same functions their own intersect and normalAt use, so the distances and
// normals are the same bits. A shape of any other kind is asked through its
// virtual calls. Distances that every caller rejects may come back as
// MISS_DISTANCE instead of their own negative value.
struct ShapeRecord {
    enum class Kind : std::uint8_t { Plane, Sphere, Other };

    Kind kind = Kind::Other;
    Vector3 vector{0.0f, 0.0f, 0.0f};  // the plane's normal or the sphere's centre
    float scalar = 0.0f;               // the plane's offset or the sphere's radiusSquared
    float inverseRadius = 0.0f;
    const Shape* shape = nullptr;

    static ShapeRecord of(const Shape* shape) {
        ShapeRecord r;
        r.shape = shape;
        if (const auto* plane = dynamic_cast<const Plane*>(shape)) {
            r.kind = Kind::Plane;
            r.vector = plane->equation().normal();
            r.scalar = plane->equation().offset();
        } else if (const auto* sphere = dynamic_cast<const Sphere*>(shape)) {
            r.kind = Kind::Sphere;
            r.vector = sphere->centre;
            r.scalar = sphere->radiusSquared();
            r.inverseRadius = sphere->inverseRadius();
        }
        return r;
    }

    float intersect(const Ray& ray) const {
        switch (kind) {
            case Kind::Plane: return planeDistanceOrMiss(ray);
            case Kind::Sphere: return sphereDistance(vector, scalar, ray);
            case Kind::Other: break;
        }
        return shape->intersect(ray);
    }

    Vector3 normalAt(const Vector3& point) const {
        switch (kind) {
            case Kind::Plane: return vector;
            case Kind::Sphere: return sphereNormal(vector, inverseRadius, point);
            case Kind::Other: break;
        }
        return shape->normalAt(point);
    }

    // planeDistance, or MISS_DISTANCE where its quotient is surely below 0,
    // which no caller accepts: then the division is skipped. Opposite signs
    // make the quotient negative, and with |b| >= 2^-100 and |towards| <= 2^40
    // it cannot round to -0, which would count as a hit.
    float planeDistanceOrMiss(const Ray& ray) const {
        const float a = dot(ray.origin, vector);
        const float b = a - scalar;
        const float towards = -dot(vector, ray.direction);
        if ((b >= 0x1p-100f && towards < 0.0f && towards >= -0x1p40f) ||
            (b <= -0x1p-100f && towards > 0.0f && towards <= 0x1p40f)) {
            return MISS_DISTANCE;
        }
        return b / towards;
    }

    // Bit for bit, so that -0 and NaN count as changes of geometry too.
    bool sameAs(const ShapeRecord& other) const {
        return kind == other.kind && shape == other.shape && sameBits(vector.x, other.vector.x) &&
               sameBits(vector.y, other.vector.y) && sameBits(vector.z, other.vector.z) &&
               sameBits(scalar, other.scalar) && sameBits(inverseRadius, other.inverseRadius);
    }

private:
    static bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};
