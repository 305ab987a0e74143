// Light: a point light of a Scene, casting hard shadows and fading with the square of distance.
#pragma once

#include "math/vector3.h"

// A point light; intensity is a per-channel multiplier, not limited to 1.
class Light {
public:
    Light(const Vector3& position, const Vector3& intensity) : position_(position), intensity_(intensity) {}

    Vector3& position() { return position_; }
    const Vector3& position() const { return position_; }
    Vector3& intensity() { return intensity_; }
    const Vector3& intensity() const { return intensity_; }

private:
    Vector3 position_;
    Vector3 intensity_;
};
