// The ring of spheres that own-scene traces: a floor, six spheres of
// different materials on a circle, a mirror-like one in the middle, and a
// warm and a cool light.
#pragma once

#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

// The scene owns what is added to it and deletes it with itself.
inline void buildRing(Scene& scene) {
    const Material floor(Vector3(0.8f, 0.8f, 0.75f), 0.3f, 10.0f, 0.25f);
    scene.addObject(new SceneObject(floor, new Plane(PlaneEquation(Vector3(0.0f, 0.0f, 1.0f), 0.0f))));

    const Material materials[] = {
        Material(Vector3(0.9f, 0.1f, 0.1f), 0.0f, 10.0f, 0.0f),   // matte red
        Material(Vector3(0.1f, 0.8f, 0.2f), 0.6f, 40.0f, 0.0f),   // glossy green
        Material(Vector3(0.2f, 0.3f, 1.0f), 0.5f, 20.0f, 0.4f),   // shiny blue
        Material(Vector3(1.0f, 1.0f, 1.0f), 0.0f, 10.0f, 1.0f),   // a pure mirror
        Material(Vector3(1.0f, 0.75f, 0.2f), 0.8f, 20.0f, 0.2f),  // gold
        Material(Vector3(0.7f, 0.2f, 0.9f), 0.4f, 10.0f, 0.0f),   // violet
    };
    // Six places 60 degrees apart on a circle of radius 2.5, written out so
    // that the picture does not hang on the last bit of a library's sine.
    const float ring[6][2] = {{1.0f, 0.0f},   {0.5f, 0.8660254f},   {-0.5f, 0.8660254f},
                              {-1.0f, 0.0f},  {-0.5f, -0.8660254f}, {0.5f, -0.8660254f}};
    for (int k = 0; k < 6; ++k) {
        const Vector3 centre(2.5f * ring[k][0], 2.5f * ring[k][1], 0.7f);
        scene.addObject(new SceneObject(materials[k], new Sphere(centre, 0.7f)));
    }
    const Material centrePiece(Vector3(0.95f, 0.95f, 0.95f), 0.5f, 20.0f, 0.6f);
    scene.addObject(new SceneObject(centrePiece, new Sphere(Vector3(0.0f, 0.0f, 0.9f), 0.9f)));

    scene.addLight(new Light(Vector3(-4.0f, -5.0f, 7.0f), Vector3(50.0f, 46.0f, 40.0f)));  // warm key light
    scene.addLight(new Light(Vector3(5.0f, -3.0f, 4.0f), Vector3(15.0f, 18.0f, 25.0f)));   // cool fill light
}

