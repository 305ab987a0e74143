#include "render/pinhole_camera.h"

#include <cmath>
#include <numbers>

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
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    // The rows take the half-width back down by the aspect, which keeps the
    // pixels square whatever the rounding of either half-extent.
    const float halfWidth = halfHeight_ * w / h;
    const float u = ((static_cast<float>(i) + 0.5f) / w * 2.0f - 1.0f) * halfWidth;
    const float v = (1.0f - (static_cast<float>(j) + 0.5f) / h * 2.0f) * halfWidth * h / w;
    Vector3 d = forward_;
    d.addScaled(right_, u);
    d.addScaled(up_, v);
    return normalized(d);
}

Camera::Key PinholeCamera::key() const {
    Key k;
    k.values = {forward_.x, forward_.y, forward_.z, right_.x, right_.y, right_.z, up_.x, up_.y, up_.z, halfHeight_};
    k.count = 10;
    return k;
}
