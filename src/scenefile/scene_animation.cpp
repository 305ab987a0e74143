#include "scenefile/scene_animation.h"

#include <vector>

#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "render/demo_camera.h"
#include "render/pinhole_camera.h"
#include "render/scene_renderer.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

struct SceneAnimation::Movers {
    std::vector<std::pair<Sphere*, const Motion*>> spheres;
    std::vector<std::pair<Light*, const Motion*>> lights;
    SceneRenderer renderer;
};

SceneAnimation::SceneAnimation(const SceneFile& file)
    : file_(file), scene_(std::make_unique<Scene>()), movers_(std::make_unique<Movers>()) {
    for (const FileObject& object : file_.objects) {
        if (object.kind == FileObject::Kind::plane) {
            scene_->addObject(new SceneObject(object.material, new Plane(PlaneEquation(object.normal, object.offset))));
            continue;
        }
        auto* sphere = new Sphere(object.centre.at(0.0f), object.radius);
        scene_->addObject(new SceneObject(object.material, sphere));
        if (object.centre.moves()) {
            movers_->spheres.emplace_back(sphere, &object.centre);
            movers_->renderer.markMoving(sphere);
        }
    }
    for (const FileLight& entry : file_.lights) {
        auto* light = new Light(entry.position.at(0.0f), entry.intensity);
        scene_->addLight(light);
        if (entry.position.moves()) movers_->lights.emplace_back(light, &entry.position);
    }
}

SceneAnimation::~SceneAnimation() = default;

void SceneAnimation::placeAt(float t) {
    for (auto& [sphere, motion] : movers_->spheres) sphere->centre = motion->at(t);
    for (auto& [light, motion] : movers_->lights) light->position() = motion->at(t);
}

std::unique_ptr<Camera> SceneAnimation::cameraAt(float t) const {
    const FileCamera& camera = file_.camera;
    if (camera.kind == FileCamera::Kind::demo) return std::make_unique<DemoCamera>(camera.eye.at(t));
    return std::make_unique<PinholeCamera>(camera.eye.at(t), camera.target.at(t), camera.up, camera.fovDegrees);
}

void SceneAnimation::renderAt(Canvas& canvas, float t) {
    placeAt(t);
    const std::unique_ptr<Camera> camera = cameraAt(t);
    movers_->renderer.render(*scene_, *camera, canvas);
}
