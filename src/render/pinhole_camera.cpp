#include "render/pinhole_camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/fast/lanes.h"

namespace {

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

}  // namespace

PinholeCamera::PinholeCamera(const Vector3& eye, const Vector3& target, const Vector3& up, float verticalFovDegrees)
    : eye_(eye),
      forward_(normalized(target - eye)),
      right_(normalized(cross(forward_, up))),
      up_(cross(right_, forward_)),
      halfHeight_(static_cast<float>(std::tan(static_cast<double>(verticalFovDegrees) * (std::numbers::pi / 360.0)))) {}

Vector3 PinholeCamera::direction(std::int32_t i, std::int32_t j, std::int32_t width, std::int32_t height) const {
    Vector3 d;
    columnDirections(i, j, 1, width, height, &d);
    return d;
}

void PinholeCamera::columnDirections(std::int32_t i, std::int32_t j, std::int32_t count, std::int32_t width,
                                     std::int32_t height, Vector3* out) const {
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    // The rows take the half-width back down by the aspect, which keeps the
    // pixels square whatever the rounding of either half-extent.
    const float halfWidth = halfHeight_ * w / h;
    const float u = ((static_cast<float>(i) + 0.5f) / w * 2.0f - 1.0f) * halfWidth;
    Vector3 across = forward_;
    across.addScaled(right_, u);
#ifdef RT_SIMD_LANES
    // The steps of Vector3::addScaled and normalized four rows at a time,
    // lane by lane with the same operations. A short last group repeats its
    // last row. Every row goes through this one piece of code: GCC 12 has
    // been seen to drop the float rounding of `across` in a scalar copy of
    // this loop beside the vector one, so a single direction differed from
    // the same direction in a run.
    using L = Lanes<4>;
    for (std::int32_t k = 0; k < count; k += 4) {
        const auto row = [&](std::int32_t l) { return static_cast<float>(j + std::min(k + l, count - 1)); };
        const L::F rows{row(0), row(1), row(2), row(3)};
        const L::F v = (1.0f - (rows + 0.5f) / h * 2.0f) * halfWidth * h / w;
        const L::D vWide = L::wide(v);
        const L::F x = L::narrow(vWide * up_.x + across.x);
        const L::F y = L::narrow(vWide * up_.y + across.y);
        const L::F z = L::narrow(vWide * up_.z + across.z);
        const L::F length =
            L::narrow(L::sqrt((L::wide(x) * L::wide(x) + L::wide(y) * L::wide(y)) + L::wide(z) * L::wide(z)));
        const L::F scale = 1.0f / length;
        const L::M zero = length == 0.0f;
        const L::F ux = zero ? L::splat(1.0f) : scale * x;
        const L::F uy = zero ? L::splat(0.0f) : scale * y;
        const L::F uz = zero ? L::splat(0.0f) : scale * z;
        for (int l = 0; l < 4 && k + l < count; ++l) out[k + l] = Vector3(ux[l], uy[l], uz[l]);
    }
#else
    for (std::int32_t k = 0; k < count; ++k) {
        const float v = (1.0f - (static_cast<float>(j + k) + 0.5f) / h * 2.0f) * halfWidth * h / w;
        Vector3 d = across;
        d.addScaled(up_, v);
        out[k] = normalized(d);
    }
#endif
}

Camera::Key PinholeCamera::key() const {
    Key k;
    k.values = {forward_.x, forward_.y, forward_.z, right_.x, right_.y, right_.z, up_.x, up_.y, up_.z, halfHeight_};
    k.count = 10;
    return k;
}
