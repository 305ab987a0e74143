#include "app/demo_animation.h"

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/canvas.h"
#include "math/ray.h"
#include "scene/scene.h"

struct DemoAnimation::State {
    DemoScene demo = makeDemoScene();
    ~State() { delete demo.scene; }
};

DemoAnimation::DemoAnimation() : state_(std::make_unique<State>()) {}
DemoAnimation::~DemoAnimation() = default;

void DemoAnimation::renderAt(Canvas& canvas, float t) {
    const DemoScene& demo = state_->demo;
    placeDemoScene(demo.light, demo.sphere, t);
    for (std::int32_t i = 0; i < FRAME_SIZE; ++i) {
        for (std::int32_t j = 0; j < FRAME_SIZE; ++j) {
            Vector3 colour;
            demo.scene->trace(Ray(cameraPosition, primaryRayDirection(i, j)), colour);
            colour.clampToOne();
            canvas.setPixel(i, j, Vector3(colour.z, colour.y, colour.x));
        }
    }
}
