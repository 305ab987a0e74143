// Hit: the nearest hit of a ray found so far.
#pragma once

#include <cstdint>

// Which object, and how far along the ray. Plain data, so that arrays of
// them cost nothing to make; a search starts from none().
struct Hit {
    float distance;
    std::int32_t index;  // -1: nothing met

    static constexpr Hit none() { return {1e9f, -1}; }
    bool found() const { return index >= 0; }
};

// Keeps the least (distance, index) pair of the accepted distances. In one
// scan in insertion order that is the strict `t < nearest` of Scene::trace,
// and it stays right however the shapes are split and in whatever order
// they are met.
inline void keepNearer(Hit& hit, float t, std::int32_t index) {
    if (t >= 0.0f && (t < hit.distance || (t == hit.distance && index < hit.index))) hit = {t, index};
}
