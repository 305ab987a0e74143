#include "app/frame_renderer.h"

#include "app/demo_scene.h"
#include "bmpwindow/canvas.h"
#include "render/demo_camera.h"
#include "render/scene_renderer.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

Stopwatch animationClock;
Vector3 cameraPosition(-3.0f, 0.0f, 1.0f);

namespace {

// The program's renderer: kept between frames so that its tables are made once.
SceneRenderer& programRenderer() {
    static SceneRenderer renderer;
    return renderer;
}

// The frame is always 400 x 400: a canvas of another size is handed the
// pixels through this view and keeps what lies on it.
class FrameView final : public Canvas {
public:
    explicit FrameView(Canvas& target) : target_(target) {}
    std::int32_t width() const override { return FRAME_SIZE; }
    std::int32_t height() const override { return FRAME_SIZE; }
    void setPixel(std::int32_t x, std::int32_t y, const Vector3& colour) override { target_.setPixel(x, y, colour); }
    void plot(const Point2& position, const Vector3& colour) override { target_.plot(position, colour); }
    void drawLine(const Point2& from, const Point2& to, const Vector3& colour) override {
        target_.drawLine(from, to, colour);
    }
    void drawText(const Point2& at, const std::string& text, const Vector3& colour) override {
        target_.drawText(at, text, colour);
    }

private:
    Canvas& target_;
};

}  // namespace

Vector3 primaryRayDirection(std::int32_t i, std::int32_t j) {
    return DemoCamera(cameraPosition).direction(i, j, FRAME_SIZE, FRAME_SIZE);
}

void renderFrame(Canvas& canvas) { renderFrameAt(canvas, static_cast<float>(animationClock.elapsed())); }

void renderFrameAt(Canvas& canvas, float t) {
    placeDemoScene(animatedLight, animatedSphere, t);
    SceneRenderer& renderer = programRenderer();
    if (animatedSphere != nullptr) renderer.markMoving(animatedSphere->shape());
    traceDemoFrame(renderer, *appScene, canvas);
}

void traceDemoFrame(SceneRenderer& renderer, const Scene& scene, Canvas& canvas) {
    const DemoCamera camera(cameraPosition);
    if (canvas.width() == FRAME_SIZE && canvas.height() == FRAME_SIZE) {
        renderer.render(scene, camera, canvas);
    } else {
        FrameView view(canvas);
        renderer.render(scene, camera, view);
    }
}
