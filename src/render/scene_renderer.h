// SceneRenderer: traces a Scene through a Camera into a Canvas, quickly, with
// every pixel exactly as the plain loop over Scene::trace makes it.
#pragma once

#include <memory>

class Camera;
class Canvas;
class Scene;
class Shape;

// render() gives pixel (i, j) of the canvas the bits of
//
//     Vector3 c;
//     scene.trace(Ray(camera.position(), camera.direction(i, j, W, H)), c);
//     c.clampToOne();
//     canvas.setPixel(i, j, Vector3(c.z, c.y, c.x));  // x shows as blue
//
// for every scene, camera and canvas size, through a faster path: shape tests
// without virtual calls for planes and spheres, rays in batches several at a
// time, and tables kept from frame to frame.
//
// What it keeps, and how it notices change: each pixel's direction, kept
// while the canvas size and the camera's type, Camera::key() and position
// stay the same (a camera without a key has its directions made anew every
// frame); and, once the camera has stood still for a frame, what each
// primary ray and its first mirror ray meet among the planes and spheres,
// checked bit for bit against their geometry every frame and made again
// when any of them differs. Shapes of other kinds, materials and lights are
// read afresh every frame. So objects and lights may be added, removed or
// changed freely between frames; nothing needs to be said.
//
// A renderer holds no state shared with any other, so renderers on several
// threads work side by side, each on a scene of its own (one scene may also
// be read by several at once while nothing changes it). A frame allocates
// only when the image or the scene grows past what an earlier frame held.
class SceneRenderer {
public:
    SceneRenderer();
    ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    void render(const Scene& scene, const Camera& camera, Canvas& canvas);

    // A shape the caller will move every frame. Only a matter of speed: a
    // shape seen to move is counted as moving from then on anyway, but this
    // one is never cached in the first place.
    void markMoving(const Shape* shape);

private:
    struct Tables;
    std::unique_ptr<Tables> tables_;
};
