// Scene: the objects and lights to trace, and the tracing: a ray in, the colour seen along it out.
#pragma once

#include <cstddef>
#include <vector>

#include "math/ray.h"
#include "math/vector3.h"

class Light;
class SceneObject;

inline constexpr Vector3 backgroundColour{0.2f, 0.2f, 0.2f};
inline constexpr Vector3 ambientColour{0.3f, 0.3f, 0.3f};

// Mirror rays past this many bounces are not traced and take the background,
// so two facing mirrors end instead of recursing without bound.
inline constexpr int MAX_REFLECTION_DEPTH = 64;

// Owns its objects and lights. Insertion order matters: the first-added of two
// equally near objects wins, and light contributions are summed in list order.
class Scene {
public:
    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    ~Scene();

    void addObject(SceneObject* object) { objects_.push_back(object); }
    void addLight(Light* light) { lights_.push_back(light); }
    // Delete the object or light at index; those after it move up one. An
    // index past the end does nothing.
    void removeObject(std::size_t index);
    void removeLight(std::size_t index);

    const std::vector<SceneObject*>& objects() const { return objects_; }
    const std::vector<Light*>& lights() const { return lights_; }

    // The colour seen along ray. depth is the number of mirror bounces behind it.
    // Mirror rays are traced as made, not renormalised: off a sphere they are a
    // little longer than unit, and every shape, a user's own too, is asked
    // about them as they are (see Sphere).
    void trace(const Ray& ray, Vector3& colourOut, int depth = 0) const;

    // Whether something is met at a distance in [0, maxDistance).
    bool isOccluded(const Ray& ray, float maxDistance) const;

    // The lighting model at a shading point with the given normal.
    void shade(const SceneObject& object, const Vector3& direction, const Vector3& point, const Vector3& normal,
               Vector3& colourOut, int depth = 0) const;

private:
    std::vector<SceneObject*> objects_;
    std::vector<Light*> lights_;
};
