#include "scene/scene.h"
#include "scene/scene_object.h"
#include "scene/shading_steps.h"

void Scene::shade(const SceneObject& object, const Vector3& direction, const Vector3& point, const Vector3& normal,
                  Vector3& colourOut, int depth) const {
    shadeSteps(
        object.material(), lights_, direction, point, normal, colourOut,
        [&](const Ray& mirrorRay, Vector3& colour) { trace(mirrorRay, colour, depth + 1); },
        [&](const Ray& shadowRay, float distance) { return isOccluded(shadowRay, distance); }, specularHighlight);
}
