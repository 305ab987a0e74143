// Motion: a point that stays put, goes round a circle, or follows keyframes.
#pragma once

#include <variant>
#include <vector>

#include "math/vector3.h"

enum class Axis { x = 0, y = 1, z = 2 };

// A circle in the plane of two axes: at time t the angle is
// radiansPerSecond·t + startRadians, the first axis gets centre + radius·cos
// and the second centre + radius·sin (so "xy" turns from +x toward +y), the
// third axis stays at the centre's. Everything is double, as the demo keeps its
// constants; t is widened from float and each coordinate rounded to float once.
struct Orbit {
    double centre[3] = {0.0, 0.0, 0.0};
    double radius = 0.0;
    double radiansPerSecond = 0.0;
    double startRadians = 0.0;
    Axis first = Axis::x;
    Axis second = Axis::y;

    Vector3 at(float t) const;
};

struct Keyframe {
    double seconds;
    Vector3 value;
};

// Straight lines between keyframes (at least one, seconds strictly rising):
// the first value before the first time (and for a NaN), the last after the last. Between
// two, a + (b - a)·(t - ta)/(tb - ta) in double, rounded to float once.
Vector3 keyframesAt(const std::vector<Keyframe>& keyframes, float t);

class Motion {
public:
    Motion() : path_(Vector3(0.0f, 0.0f, 0.0f)) {}
    explicit Motion(const Vector3& fixed) : path_(fixed) {}
    explicit Motion(const Orbit& orbit) : path_(orbit) {}
    explicit Motion(std::vector<Keyframe> keyframes) : path_(std::move(keyframes)) {}

    bool moves() const { return !std::holds_alternative<Vector3>(path_); }
    Vector3 at(float t) const;

    const Vector3* fixed() const { return std::get_if<Vector3>(&path_); }
    const Orbit* orbit() const { return std::get_if<Orbit>(&path_); }
    const std::vector<Keyframe>* keyframes() const { return std::get_if<std::vector<Keyframe>>(&path_); }

private:
    std::variant<Vector3, Orbit, std::vector<Keyframe>> path_;
};
