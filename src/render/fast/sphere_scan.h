// SphereScan: the spheres of a list tested against one ray, several
// spheres at a time: for the rays a tree's boxes cannot narrow down.
#pragma once

#include <cstdint>
#include <vector>

#include "math/ray.h"
#include "render/fast/hit.h"

// The spheres as arrays of floats, in any order (the least pair does not
// depend on it), followed by a vector group's worth of spheres no ray meets.
class SphereScan {
public:
    // The widest group of lanes: a range is read as at least this many.
    static constexpr std::int32_t PAD = 8;
    // The arrays, for loops that run over them in place.
    struct Columns {
        const float* x;
        const float* y;
        const float* z;
        const float* radiusSquared;
        const std::int32_t* index;
    };
    Columns columns() const { return {x_.data(), y_.data(), z_.data(), radiusSquared_.data(), index_.data()}; }

    void clear() { count_ = 0; }
    void add(const Vector3& centre, float radiusSquared, std::int32_t index);
    // Pads the arrays; call after the last add.
    void finish();

    // hit gains the least (distance, index) pair of the hits along ray of
    // spheres begin to end - 1, and maybe of some of the spheres after
    // them: the sphere test of the model, lane by lane, so the same bits.
    void addNearest(const Ray& ray, Hit& hit, std::int32_t begin, std::int32_t end) const;
    // The same answer, for rays whose distances are mostly rounding: a first
    // look at tca alone passes over spheres whose d2 no float could bring
    // within the nearest distance so far.
    void addNearestLong(const Ray& ray, Hit& hit, std::int32_t begin, std::int32_t end) const;
    // Whether one of spheres begin to end - 1 (or of some after them) is met
    // at a distance in [0, maxDistance).
    bool anyWithin(const Ray& ray, float maxDistance, std::int32_t begin, std::int32_t end) const;
    std::int32_t size() const { return count_; }

    std::size_t bytes() const {
        return (x_.capacity() + y_.capacity() + z_.capacity() + radiusSquared_.capacity()) * sizeof(float) +
               index_.capacity() * sizeof(std::int32_t);
    }

private:
    std::int32_t count_ = 0;
    std::vector<float> x_, y_, z_, radiusSquared_;
    std::vector<std::int32_t> index_;
};
