#include "scene/scene.h"

#include "geometry/shape.h"
#include "scene/light.h"
#include "scene/scene_object.h"
#include "scene/shading_steps.h"

Scene::~Scene() {
    for (SceneObject* object : objects_) delete object;
    for (Light* light : lights_) delete light;
}

void Scene::removeObject(std::size_t index) {
    if (index >= objects_.size()) return;
    delete objects_[index];
    objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(index));
}

void Scene::removeLight(std::size_t index) {
    if (index >= lights_.size()) return;
    delete lights_[index];
    lights_.erase(lights_.begin() + static_cast<std::ptrdiff_t>(index));
}

void Scene::trace(const Ray& ray, Vector3& colourOut, int depth) const {
    if (depth > MAX_REFLECTION_DEPTH) {
        colourOut = backgroundColour;
        return;
    }
    float nearest = 1e9f;
    const SceneObject* hit = nullptr;
    for (const SceneObject* object : objects_) {
        const float t = object->shape()->intersect(ray);
        if (t >= 0.0f && t < nearest) {
            nearest = t;
            hit = object;
        }
    }
    if (hit == nullptr) {
        colourOut = backgroundColour;
        return;
    }
    hit->shade(shadingPoint(ray, nearest), ray.direction, *this, colourOut, depth);
}

bool Scene::isOccluded(const Ray& ray, float maxDistance) const {
    for (const SceneObject* object : objects_) {
        const float t = object->shape()->intersect(ray);
        if (t >= 0.0f && t < maxDistance) return true;
    }
    return false;
}
