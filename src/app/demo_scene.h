#pragma once

class Light;
class Scene;
class SceneObject;

// The scene the program shows, and the two pieces of it that move.
extern Scene* appScene;              // owned
extern Light* animatedLight;         // borrowed from appScene
extern SceneObject* animatedSphere;  // borrowed from appScene; its shape is a Sphere

// Floor, wall, green sphere, red sphere (in that order, which breaks ties) and one light.
void buildScene();

// Deletes appScene, and with it everything in it.
void destroyScene();
