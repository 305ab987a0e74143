#include "app/demo_animation.h"

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "render/scene_renderer.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

struct DemoAnimation::State {
    DemoScene demo = makeDemoScene();
    SceneRenderer renderer;
    ~State() { delete demo.scene; }
};

DemoAnimation::DemoAnimation() : state_(std::make_unique<State>()) {
    state_->renderer.markMoving(state_->demo.sphere->shape());
}
DemoAnimation::~DemoAnimation() = default;

void DemoAnimation::renderAt(Canvas& canvas, float t) {
    const DemoScene& demo = state_->demo;
    placeDemoScene(demo.light, demo.sphere, t);
    traceDemoFrame(state_->renderer, *demo.scene, canvas);
}
