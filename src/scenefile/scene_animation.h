// SceneAnimation: a scene file's scene, built, moved to a time and rendered.
#pragma once

#include <cstdint>
#include <memory>

#include "scenefile/scene_file.h"

class Camera;
class Canvas;
class Scene;

// Owns a Scene built from a SceneFile and a SceneRenderer of its own, sharing
// nothing with other copies, so that copies on several threads render side
// by side (as render-animation's workers do).
class SceneAnimation {
public:
    explicit SceneAnimation(const SceneFile& file);
    ~SceneAnimation();
    SceneAnimation(const SceneAnimation&) = delete;
    SceneAnimation& operator=(const SceneAnimation&) = delete;

    std::int32_t width() const { return file_.width; }
    std::int32_t height() const { return file_.height; }
    const Scene& scene() const { return *scene_; }

    // Moves the lights and spheres that move to where they are at time t.
    void placeAt(float t);

    // The file's camera at time t.
    std::unique_ptr<Camera> cameraAt(float t) const;

    // placeAt(t), then the frame through cameraAt(t) into canvas (any size;
    // the file's size is what width() and height() give).
    void renderAt(Canvas& canvas, float t);

private:
    struct Movers;
    SceneFile file_;
    std::unique_ptr<Scene> scene_;
    std::unique_ptr<Movers> movers_;
};
