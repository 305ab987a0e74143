#include "app/demo_scene.h"

#include <cmath>

#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

Scene* appScene = nullptr;
Light* animatedLight = nullptr;
SceneObject* animatedSphere = nullptr;

namespace {
const Vector3 white(1.0f, 1.0f, 1.0f);
}

DemoScene makeDemoScene() {
    auto* scene = new Scene();

    const Material floor(white, 0.5f, 20.0f, 0.6f);
    scene->addObject(new SceneObject(floor, new Plane(PlaneEquation(Vector3(0.0f, 0.0f, 1.0f), 0.0f))));

    const Material wall(white, 0.5f, 20.0f, 0.0f);
    scene->addObject(new SceneObject(wall, new Plane(PlaneEquation(Vector3(0.0f, 1.0f, 0.0f), -6.0f))));

    // Both spheres start at one place; the first frame moves the green one away.
    const Material green(Vector3(0.0f, 1.0f, 0.0f), 0.4f, 20.0f, 0.7f);
    auto* sphere = new SceneObject(green, new Sphere(Vector3(4.0f, 0.0f, 2.0f), 0.7f));
    scene->addObject(sphere);

    const Material red(Vector3(1.0f, 0.0f, 0.0f), 0.4f, 10.0f, 0.5f);
    scene->addObject(new SceneObject(red, new Sphere(Vector3(4.0f, 0.0f, 2.0f), 0.7f)));

    auto* light = new Light(Vector3(15.0f, 0.0f, 5.0f), white.scaled(100.0f));
    scene->addLight(light);
    return {scene, light, sphere};
}

void placeDemoScene(Light* light, SceneObject* sphere, float t) {
    const double time = t;
    if (light != nullptr) {
        light->position().set(static_cast<float>(0.0 + 5.0 * std::cos(time)), static_cast<float>(5.0 * std::sin(time)),
                              5.0f);
    }
    if (sphere != nullptr) {
        if (auto* shape = dynamic_cast<Sphere*>(sphere->shape())) {
            const double angle = 0.2 * time;
            shape->centre.set(static_cast<float>(3.0 + 2.0 * std::cos(angle)), static_cast<float>(2.0 * std::sin(angle)),
                              1.0f);
        }
    }
}

void buildScene() {
    const DemoScene demo = makeDemoScene();
    appScene = demo.scene;
    animatedLight = demo.light;
    animatedSphere = demo.sphere;
}

void destroyScene() {
    delete appScene;
    appScene = nullptr;
}
