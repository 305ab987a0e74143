#include "scenefile/motion.h"

#include <algorithm>
#include <cmath>

Vector3 Orbit::at(float t) const {
    const double time = t;
    double angle = radiansPerSecond * time;
    // Adding a zero start or a zero centre would turn a -0 into +0; the demo
    // writes neither sum, and the positions must be its bits.
    if (startRadians != 0.0) angle += startRadians;
    double p[3] = {centre[0], centre[1], centre[2]};
    const double along = radius * std::cos(angle);
    const double across = radius * std::sin(angle);
    const int a = static_cast<int>(first);
    const int b = static_cast<int>(second);
    p[a] = centre[a] == 0.0 ? along : centre[a] + along;
    p[b] = centre[b] == 0.0 ? across : centre[b] + across;
    return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
}

Vector3 keyframesAt(const std::vector<Keyframe>& keyframes, float t) {
    if (keyframes.empty()) return {0.0f, 0.0f, 0.0f};
    const double time = t;
    if (!(time > keyframes.front().seconds)) return keyframes.front().value;  // NaN too
    // The first keyframe later than t; everything before it is at or before t.
    const auto later = std::upper_bound(keyframes.begin(), keyframes.end(), time,
                                        [](double s, const Keyframe& k) { return s < k.seconds; });
    if (later == keyframes.end()) return keyframes.back().value;
    const Keyframe& a = *(later - 1);
    const Keyframe& b = *later;
    const double f = (time - a.seconds) / (b.seconds - a.seconds);
    const auto mix = [f](float from, float to) {
        return static_cast<float>(from + (static_cast<double>(to) - from) * f);
    };
    return {mix(a.value.x, b.value.x), mix(a.value.y, b.value.y), mix(a.value.z, b.value.z)};
}

Vector3 Motion::at(float t) const {
    if (const auto* p = std::get_if<Vector3>(&path_)) return *p;
    if (const auto* o = std::get_if<Orbit>(&path_)) return o->at(t);
    return keyframesAt(std::get<std::vector<Keyframe>>(path_), t);
}
