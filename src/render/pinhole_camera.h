// PinholeCamera: a camera placed at an eye, looking at a point, with a field of view.
#pragma once

#include "render/camera.h"

// Rays go through pixel centres, with square pixels, for any image size.
// The image plane at distance 1 spans 2·tan(fov / 2) from top to bottom;
// its width follows from the image's aspect.
class PinholeCamera final : public Camera {
public:
    // up need not be at a right angle to the line of sight, nor of unit
    // length, but must not lie along it. The field of view is in degrees.
    PinholeCamera(const Vector3& eye, const Vector3& target, const Vector3& up, float verticalFovDegrees);

    Vector3 position() const override { return eye_; }
    Vector3 direction(std::int32_t i, std::int32_t j, std::int32_t width, std::int32_t height) const override;
    void columnDirections(std::int32_t i, std::int32_t j, std::int32_t count, std::int32_t width, std::int32_t height,
                          Vector3* out) const override;
    Key key() const override;

    const Vector3& forward() const { return forward_; }
    const Vector3& right() const { return right_; }
    const Vector3& up() const { return up_; }
    float halfHeight() const { return halfHeight_; }

private:
    Vector3 eye_;
    Vector3 forward_, right_, up_;
    float halfHeight_;  // of the image plane at distance 1
};
