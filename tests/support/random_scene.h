// Scenes, cameras and canvas sizes of random make-up, and changes to them
// between frames, drawn from any source of choices: a seeded generator in
// the tests, the fuzzer's bytes in the fuzz target.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "geometry/sphere.h"
#include "math/ray.h"
#include "render/camera.h"
#include "scene/scene.h"

class Canvas;

// Where the choices come from.
class Choices {
public:
    virtual ~Choices() = default;
    // A whole number in [0, n), n > 0.
    virtual std::uint32_t below(std::uint32_t n) = 0;
    // A float in [low, high].
    virtual float between(float low, float high) = 0;

    bool chance(std::uint32_t percent) { return below(100) < percent; }
};

// Choices from a seeded generator, the same for the same seed.
class SeededChoices final : public Choices {
public:
    explicit SeededChoices(std::uint32_t seed) : random_(seed) {}
    std::uint32_t below(std::uint32_t n) override { return static_cast<std::uint32_t>(random_() % n); }
    float between(float low, float high) override { return std::uniform_real_distribution<float>(low, high)(random_); }

private:
    std::mt19937 random_;
};

struct RandomScene {
    std::unique_ptr<Scene> scene;
    std::unique_ptr<Camera> camera;
    std::int32_t width = 1;
    std::int32_t height = 1;
    Vector3 eye{0.0f, 0.0f, 0.0f};
    std::string story;  // what was drawn and changed, for failure messages
};

// A scene of 1 to 40 objects (exactly `objects` when it is not 0) and 0 to 5
// lights, with the odd values that break fast paths: zero, negative, tiny and
// huge radii, normals not of unit length, planes through the eye, lights
// inside spheres or at the eye, duplicated shapes, shapes of a kind of their
// own, extreme materials, and now and then infinities and NaN.
RandomScene makeRandomScene(Choices& choices, std::int32_t objects = 0);

// The radius at which a sphere about centre turns, for the model's sphere
// test along ray, from met to missed (its squared distance d2 from the ray's
// line, as the test works it out), moved `ulps` units in the last place up
// (positive) or down.
float grazingRadius(const Vector3& centre, const Ray& ray, int ulps);

// The mirror ray that a primary ray casts, as shade casts it, when the
// first shape it meets is a plane; false when it is not.
bool mirrorOffPlane(const Scene& scene, const Ray& primary, Ray& mirror);

// A sphere that ray grazes, to a few units in the last place of its radius,
// its centre `along` the ray and `aside` from it in any direction (null in
// the rare case that no direction aside comes out).
Sphere* sphereGrazing(Choices& choices, const Ray& ray, float along, float aside);

// A crowd of n spheres that the renderer searches through its tree: packed
// in front of the eye so that mirror rays bounce among them, with exact
// duplicates, spheres tangent to a pixel's ray to within a few units in the
// last place of the radius, tiny (1e-6) and huge (1e6) radii, spheres 1e6
// away, and spheres about the eye.
void addCrowd(Choices& choices, RandomScene& world, std::int32_t n);

// One change between frames: a shape moved, a material or light changed, an
// object or light added or removed, the camera moved or the canvas resized,
// or nothing at all, so that what a renderer keeps is put to use.
void changeRandomScene(Choices& choices, RandomScene& world);

// The plain loop: every pixel of canvas through Scene::trace.
void renderWithModel(const Scene& scene, const Camera& camera, Canvas& canvas);
