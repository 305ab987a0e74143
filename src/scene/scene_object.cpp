#include "scene/scene_object.h"

#include "geometry/shape.h"
#include "scene/scene.h"

SceneObject::~SceneObject() { delete shape_; }

void SceneObject::shade(const Vector3& point, const Vector3& direction, const Scene& scene, Vector3& colourOut,
                        int depth) const {
    colourOut.set(0.0f, 0.0f, 0.0f);
    const Vector3 normal = shape_->normalAt(point);
    scene.shade(*this, direction, point, normal, colourOut, depth);
}
