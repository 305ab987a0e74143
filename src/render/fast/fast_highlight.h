// The specular highlight without std::pow where its float is certain.
#pragma once

#include <cmath>
#include <cstdint>

#include "scene/shading_steps.h"

// The same float as specularHighlight, for sigma > 0, without std::pow when
// the exponent is a whole number from 1 to 64.
//
// Why the bits agree: σ^n by squaring and multiplying takes at most 12
// roundings of 2^-53 each, and the two products around it two more, so the
// double here is within 2^-48 of the exact value, as is the one through
// std::pow (within an ulp, plus the same two products). When both ends of a
// band of 2^-40 around this double round to one float, the std::pow double,
// lying inside the band, rounds to that float too, since rounding is
// monotone. Otherwise (a few times a frame) std::pow decides. The range
// checks keep every intermediate a normal double, so the bounds hold.
inline float fastSpecularHighlight(float ks, float sigma, float q2, float exponent) {
    if (!(exponent >= 1.0f && exponent <= 64.0f)) return specularHighlight(ks, sigma, q2, exponent);
    auto n = static_cast<std::uint32_t>(exponent);
    if (static_cast<float>(n) != exponent) return specularHighlight(ks, sigma, q2, exponent);

    const double s = sigma;
    double power = 1.0;
    double square = s;
    for (;;) {
        if (n & 1u) power *= square;
        n >>= 1;
        if (n == 0) break;
        square *= square;
    }
    const double product = power * (s * q2);
    const double h = ks * product;
    const auto inRange = [](double v) {
        const double a = std::fabs(v);
        return a > 0x1p-900 && a < 0x1p900;
    };
    if (inRange(power) && inRange(product) && inRange(h)) {
        const double margin = std::fabs(h) * 0x1p-40;
        const float low = static_cast<float>(h - margin);
        const float high = static_cast<float>(h + margin);
        if (low == high) return low;
    }
    return specularHighlight(ks, sigma, q2, exponent);
}
