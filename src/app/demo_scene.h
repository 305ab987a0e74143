// The demo's scene: how it is made and how time moves it.
#pragma once

class Light;
class Scene;
class SceneObject;

// One copy of the demo's scene with the two pieces of it that move.
struct DemoScene {
    Scene* scene;          // owned by whoever made it
    Light* light;          // borrowed from scene
    SceneObject* sphere;   // borrowed from scene; its shape is a Sphere
};

// Floor, wall, green sphere, red sphere (in that order, which breaks ties) and one light.
DemoScene makeDemoScene();

// Moves the light round its circle and the green sphere along its path to
// where they are at time t; either may be null.
void placeDemoScene(Light* light, SceneObject* sphere, float t);

// The scene the program shows.
extern Scene* appScene;              // owned
extern Light* animatedLight;         // borrowed from appScene
extern SceneObject* animatedSphere;  // borrowed from appScene; its shape is a Sphere

// Makes the program's scene.
void buildScene();

// Deletes appScene, and with it everything in it.
void destroyScene();
