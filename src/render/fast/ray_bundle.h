// RayBundle: a cone that holds a few dozen rays, to skip the spheres all of them miss.
#pragma once

#include <algorithm>
#include <cmath>

#include "math/vector3.h"

// Rays that leave from within `spread` of `apex` along unit directions
// (to within 1e-5 in squared length) at most an angle of acos(cosAngle) from
// `axis`. A sphere this cone passes clear of is rejected by the sphere test
// of every one of its rays, so leaving it out changes no hit. The clearance
// asked for (1e-4 of the squared distance) dwarfs the rounding of that test
// (a few 1e-7 of it) and of the bundle's own figures, so the rule holds for
// the tests' float arithmetic, not only for exact geometry.
struct RayBundle {
    double apex[3] = {0.0, 0.0, 0.0};
    double spread = 0.0;
    double axis[3] = {0.0, 0.0, 1.0};  // unit
    double cosAngle = -1.0;
    double sinAngle = 0.0;
    bool usable = false;  // false: nothing is skipped

    // A sphere as seen from the apex, worked out once for every bundle with
    // the same apex.
    struct Sight {
        double offset[3];  // from the apex to the centre
        double distance;
        double inverseDistance;
        double radiusSquared;
        bool far;  // the apex, and so every origin, well outside the sphere
    };

    static Sight sight(const double apex[3], double spread, const Vector3& centre, float radiusSquared) {
        Sight s;
        for (int c = 0; c < 3; ++c) s.offset[c] = static_cast<double>((&centre.x)[c]) - apex[c];
        s.distance = std::sqrt(s.offset[0] * s.offset[0] + s.offset[1] * s.offset[1] + s.offset[2] * s.offset[2]);
        s.inverseDistance = 1.0 / s.distance;
        s.radiusSquared = radiusSquared;
        // Origins inside the sphere or close to it are left to the test.
        s.far = s.distance - spread > 1.001 * std::sqrt(s.radiusSquared) + 1e-30;
        return s;
    }

    // Whether every ray surely misses the sphere: its test finds the centre
    // behind, or the ray's closest approach beyond the radius. Any NaN or
    // overflow in the figures makes the answer false.
    bool misses(const Sight& s) const {
        if (!usable || !s.far) return false;
        const double cosToCentre =
            (s.offset[0] * axis[0] + s.offset[1] * axis[1] + s.offset[2] * axis[2]) * s.inverseDistance;
        // The centre within the cone: some ray may head straight for it.
        if (!(cosToCentre < cosAngle)) return false;
        const double sinToCentre = std::sqrt(std::max(0.0, 1.0 - cosToCentre * cosToCentre));
        // The least angle between a ray and the way to the centre, seen from
        // the apex; past a right angle the nearest point of a ray is its origin.
        const double cosLeast = cosToCentre * cosAngle + sinToCentre * sinAngle;
        const double sinLeast = sinToCentre * cosAngle - cosToCentre * sinAngle;
        const double approach = (cosLeast <= 0.0 ? s.distance : s.distance * sinLeast) - spread;
        const double reach = s.distance + spread;
        return approach > 0.0 && approach * approach > s.radiusSquared + 1e-4 * reach * reach;
    }

    bool missesSphere(const Vector3& centre, float radiusSquared) const {
        return misses(sight(apex, spread, centre, radiusSquared));
    }
};

// A bundle from its figures: the axis (any length), the least dot product of
// the unit axis with a ray's direction, and the least and greatest squared
// length of the directions, all as worked out in float.
inline RayBundle makeRayBundle(const double apex[3], double spread, const double axis[3], double leastDot,
                               double leastLengthSquared, double mostLengthSquared) {
    RayBundle bundle;
    const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    for (int c = 0; c < 3; ++c) {
        bundle.apex[c] = apex[c];
        bundle.axis[c] = axis[c] / length;
    }
    bundle.spread = spread;
    // The float figures' rounding (a few 1e-7) and directions off unit
    // length only widen the cone.
    bundle.cosAngle = leastDot * (1.0 - 1e-5) - 1e-6;
    bundle.sinAngle = std::sqrt(std::max(0.0, 1.0 - bundle.cosAngle * bundle.cosAngle));
    bundle.usable = std::isfinite(length) && length > 0.0 && std::isfinite(spread) && spread >= 0.0 &&
                    bundle.cosAngle > 0.05 && bundle.cosAngle < 1.0 && leastLengthSquared >= 1.0 - 1e-5 && mostLengthSquared <= 1.0 + 1e-5;
    for (int c = 0; c < 3; ++c) bundle.usable = bundle.usable && std::isfinite(apex[c]);
    return bundle;
}
