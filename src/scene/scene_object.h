// SceneObject: one thing in a Scene, a Shape with the Material that covers it.
#pragma once

#include "scene/material.h"

class Scene;
class Shape;

// A material paired with the shape it covers. Owns the shape.
class SceneObject {
public:
    SceneObject(const Material& material, Shape* shape) : material_(material), shape_(shape) {}
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;
    ~SceneObject();

    Material& material() { return material_; }
    const Material& material() const { return material_; }
    Shape* shape() const { return shape_; }

    // The colour seen at point, reached along direction. depth counts the
    // mirror bounces that led here (0 for a primary ray).
    void shade(const Vector3& point, const Vector3& direction, const Scene& scene, Vector3& colourOut,
               int depth = 0) const;

private:
    Material material_;
    Shape* shape_;
};
