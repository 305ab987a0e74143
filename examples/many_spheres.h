// A field of many spheres over a mirror floor, for measuring how the
// renderer's cost grows with the number of objects: N spheres on a grid 2.5
// units apart, radii 0.3 to 0.9, about half matte and half reflective (0.3
// to 0.8), two lights, seen at 640 x 360 from above one corner. The bench
// and examples/sphere_field.cpp share it.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "render/pinhole_camera.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

constexpr std::int32_t MANY_SPHERES_WIDTH = 640;
constexpr std::int32_t MANY_SPHERES_HEIGHT = 360;

// The same field for the same n, every time. Returns the spheres, which the
// scene owns.
inline std::vector<Sphere*> buildManySpheres(Scene& scene, std::int32_t n) {
    std::uint32_t state = 12345u;
    const auto next = [&state] {  // a small LCG: the same numbers on every platform
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    };
    scene.addObject(new SceneObject(Material(Vector3(0.9f, 0.9f, 0.9f), 0.3f, 20.0f, 0.5f),
                                    new Plane(PlaneEquation(Vector3(0.0f, 0.0f, 1.0f), 0.0f))));
    const auto side = static_cast<std::int32_t>(std::ceil(std::sqrt(static_cast<double>(n))));
    std::vector<Sphere*> spheres;
    spheres.reserve(static_cast<std::size_t>(n));
    for (std::int32_t k = 0; k < n; ++k) {
        const float r = 0.3f + 0.6f * next();
        const float x = 2.5f * static_cast<float>(k / side);
        const float y = 2.5f * (static_cast<float>(k % side) - 0.5f * static_cast<float>(side - 1));
        const Vector3 colour(0.2f + 0.8f * next(), 0.2f + 0.8f * next(), 0.2f + 0.8f * next());
        const bool mirror = next() < 0.5f;
        const float reflectivity = mirror ? 0.3f + 0.5f * next() : 0.0f;
        spheres.push_back(new Sphere(Vector3(x, y, r), r));
        scene.addObject(new SceneObject(Material(colour, 0.5f, 30.0f, reflectivity), spheres.back()));
    }
    scene.addLight(new Light(Vector3(-10.0f, 20.0f, 30.0f), Vector3(900.0f, 850.0f, 800.0f)));
    scene.addLight(new Light(Vector3(40.0f, -30.0f, 20.0f), Vector3(500.0f, 550.0f, 700.0f)));
    return spheres;
}

// Above the field's near corner looking across it; `turn` swings the view
// by that many radians, for a camera that moves.
inline PinholeCamera manySpheresCamera(float turn = 0.0f) {
    const Vector3 eye(-8.0f, 0.0f, 6.0f);
    const Vector3 target(eye.x + 30.0f * std::cos(turn), 30.0f * std::sin(turn), 0.0f);
    return PinholeCamera(eye, target, Vector3(0.0f, 0.0f, 1.0f), 60.0f);
}
