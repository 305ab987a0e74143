// Camera: where a picture's rays leave from and which way each pixel's ray goes.
#pragma once

#include <array>
#include <cstdint>

#include "math/vector3.h"

// A pinhole: every ray leaves from position(), and pixel (i, j) of a
// width x height image (column i from the left, row j from the top) looks
// along direction(i, j, width, height), a unit vector.
//
// Write a camera of your own by deriving from this. For the speed of a
// camera that stays still, also override key(): SceneRenderer keeps each
// pixel's direction, and what the scene's fixed shapes show along it, for
// as long as the camera's type, key and position stay the same.
class Camera {
public:
    // What decides the directions, as floats compared bit for bit.
    struct Key {
        static constexpr std::int32_t CAPACITY = 16;
        std::array<float, CAPACITY> values{};
        std::int32_t count = -1;  // -1: no key, so nothing is kept from frame to frame
    };

    Camera() = default;
    Camera(const Camera&) = default;
    Camera& operator=(const Camera&) = default;
    virtual ~Camera() = default;

    virtual Vector3 position() const = 0;
    virtual Vector3 direction(std::int32_t i, std::int32_t j, std::int32_t width, std::int32_t height) const = 0;

    // out[k] = direction(i, j + k, width, height) for k < count: a run of one
    // column at a time, which a camera may work out faster than pixel by pixel.
    virtual void columnDirections(std::int32_t i, std::int32_t j, std::int32_t count, std::int32_t width,
                                  std::int32_t height, Vector3* out) const {
        for (std::int32_t k = 0; k < count; ++k) out[k] = direction(i, j + k, width, height);
    }

    // The rule for an override: two cameras of one type whose keys hold the
    // same bits give the same directions for every pixel and image size.
    virtual Key key() const { return {}; }
};
