#include "app/frame_renderer.h"

#include "app/demo_scene.h"
#include "app/primary_paths.h"
#include "bmpwindow/canvas.h"
#include "math/ray.h"
#include "scene/frame_tracer.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

Stopwatch animationClock;
Vector3 cameraPosition(-3.0f, 0.0f, 1.0f);

namespace {

// The frame's fast path: kept between frames so that its tables are made once.
FrameTracer tracer;
PrimaryPaths paths;

void writePixel(Canvas& canvas, std::int32_t i, std::int32_t j, Vector3 colour) {
    colour.clampToOne();
    // packColour puts x in the pixel's blue byte: hand over blue first.
    canvas.setPixel(i, j, Vector3(colour.z, colour.y, colour.x));
}

}  // namespace

Vector3 primaryRayDirection(std::int32_t i, std::int32_t j) {
    const float u = static_cast<float>(i) / 400.0f;
    const float v = static_cast<float>(j) / 400.0f;
    return normalized(Vector3(1.0f, -(u - 0.5f), -(v - 0.5f)));
}

void renderFrame(Canvas& canvas) { renderFrameAt(canvas, static_cast<float>(animationClock.elapsed())); }

void renderFrameAt(Canvas& canvas, float t) {
    placeDemoScene(animatedLight, animatedSphere, t);
    if (!tracer.load(*appScene)) {
        // More objects than the fast path holds: the model, ray by ray.
        for (std::int32_t i = 0; i < FRAME_SIZE; ++i) {
            for (std::int32_t j = 0; j < FRAME_SIZE; ++j) {
                Vector3 colour;
                appScene->trace(Ray(cameraPosition, primaryRayDirection(i, j)), colour);
                writePixel(canvas, i, j, colour);
            }
        }
        return;
    }
    paths.prepare(tracer, cameraPosition, animatedSphere != nullptr ? animatedSphere->shape() : nullptr);
    Vector3 column[FRAME_SIZE];
    for (std::int32_t i = 0; i < FRAME_SIZE; ++i) {
        if (i + 1 < FRAME_SIZE) paths.prefetchColumn(i + 1);
        tracer.traceBatch(cameraPosition, paths.column(i), FRAME_SIZE, column);
        for (std::int32_t j = 0; j < FRAME_SIZE; ++j) writePixel(canvas, i, j, column[j]);
    }
}
