#include "app/demo_scene.h"

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

void buildScene() {
    appScene = new Scene();

    const Material floor(white, 0.5f, 20.0f, 0.6f);
    appScene->addObject(new SceneObject(floor, new Plane(PlaneEquation(Vector3(0.0f, 0.0f, 1.0f), 0.0f))));

    const Material wall(white, 0.5f, 20.0f, 0.0f);
    appScene->addObject(new SceneObject(wall, new Plane(PlaneEquation(Vector3(0.0f, 1.0f, 0.0f), -6.0f))));

    // Both spheres start at one place; the first frame moves the green one away.
    const Material green(Vector3(0.0f, 1.0f, 0.0f), 0.4f, 20.0f, 0.7f);
    animatedSphere = new SceneObject(green, new Sphere(Vector3(4.0f, 0.0f, 2.0f), 0.7f));
    appScene->addObject(animatedSphere);

    const Material red(Vector3(1.0f, 0.0f, 0.0f), 0.4f, 10.0f, 0.5f);
    appScene->addObject(new SceneObject(red, new Sphere(Vector3(4.0f, 0.0f, 2.0f), 0.7f)));

    animatedLight = new Light(Vector3(15.0f, 0.0f, 5.0f), white.scaled(100.0f));
    appScene->addLight(animatedLight);
}

void destroyScene() {
    delete appScene;
    appScene = nullptr;
}
