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

#ifdef RT_SIMD_LANES
namespace {

// The steps of Vector3::addScaled and normalized N rows at a time, lane by
// lane with the same operations. A short last group repeats its last row.
// Every row goes through this one piece of code: GCC 12 has been seen to drop
// the float rounding of `across` in a scalar copy of this loop beside the
// vector one, so a single direction differed from the same direction in a run.
template <int N>
RT_LANE_INLINE void rowsOfColumn(const Vector3& across, const Vector3& up, float halfWidth, float w, float h,
                                 std::int32_t j, std::int32_t count, Vector3* out) {
    using L = Lanes<N>;
    // Row numbers below 2^24 are exact as floats, and so are their sums.
    const bool exactRows = static_cast<std::int64_t>(j) + count <= (std::int64_t{1} << 24);
    typename L::F step;
    for (int l = 0; l < N; ++l) step[l] = static_cast<float>(l);
    for (std::int32_t k = 0; k < count; k += N) {
        typename L::F rows = static_cast<float>(j + k) + step;
        if (!exactRows || k + N > count) {
            for (int l = 0; l < N; ++l) rows[l] = static_cast<float>(j + std::min(k + l, count - 1));
        }
        const typename L::F v = (1.0f - (rows + 0.5f) / h * 2.0f) * halfWidth * h / w;
        const typename L::D vWide = L::wide(v);
        const typename L::F x = L::narrow(vWide * up.x + across.x);
        const typename L::F y = L::narrow(vWide * up.y + across.y);
        const typename L::F z = L::narrow(vWide * up.z + across.z);
        const typename L::F length =
            L::narrow(L::sqrt((L::wide(x) * L::wide(x) + L::wide(y) * L::wide(y)) + L::wide(z) * L::wide(z)));
        const typename L::F scale = 1.0f / length;
        const typename L::M zero = length == 0.0f;
        const typename L::F ux = zero ? L::splat(1.0f) : scale * x;
        const typename L::F uy = zero ? L::splat(0.0f) : scale * y;
        const typename L::F uz = zero ? L::splat(0.0f) : scale * z;
        if (k + N <= count) {
            for (int l = 0; l < N; ++l) out[k + l] = Vector3(ux[l], uy[l], uz[l]);
        } else {
            for (int l = 0; k + l < count; ++l) out[k + l] = Vector3(ux[l], uy[l], uz[l]);
        }
    }
}

void rowsOfColumnVector(const Vector3& across, const Vector3& up, float halfWidth, float w, float h, std::int32_t j,
                        std::int32_t count, Vector3* out) {
    rowsOfColumn<4>(across, up, halfWidth, w, h, j, count, out);
}

#ifdef RT_AVX2_COPIES
RT_AVX2_FUNCTION void rowsOfColumnAvx2(const Vector3& across, const Vector3& up, float halfWidth, float w, float h,
                                       std::int32_t j, std::int32_t count, Vector3* out) {
    rowsOfColumn<8>(across, up, halfWidth, w, h, j, count, out);
}
#endif

}  // namespace
#endif

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
#ifdef RT_AVX2_COPIES
    if (cpuHasAvx2()) return rowsOfColumnAvx2(across, up_, halfWidth, w, h, j, count, out);
#endif
    rowsOfColumnVector(across, up_, halfWidth, w, h, j, count, out);
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
