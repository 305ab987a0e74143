// DemoCamera: the camera of the animated demo, looking along +x with +z up.
#pragma once

#include "render/camera.h"

// The image plane stands at distance 1 in front of the eye and spans one unit
// each way; pixel (i, j) looks through its top-left corner, so the image is
// the 400 x 400 demo frame at that size. Its directions depend on nothing but
// the pixel and the image size.
class DemoCamera final : public Camera {
public:
    explicit DemoCamera(const Vector3& position) : position_(position) {}

    Vector3 position() const override { return position_; }
    Vector3 direction(std::int32_t i, std::int32_t j, std::int32_t width, std::int32_t height) const override {
        const float u = static_cast<float>(i) / static_cast<float>(width);
        const float v = static_cast<float>(j) / static_cast<float>(height);
        return normalized(Vector3(1.0f, -(u - 0.5f), -(v - 0.5f)));
    }
    Key key() const override {
        Key none;
        none.count = 0;
        return none;
    }

private:
    Vector3 position_;
};
