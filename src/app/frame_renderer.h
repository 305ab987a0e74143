// The demo's frame: the animation clock, the eye, and the frame traced at a time.
#pragma once

#include <cstdint>

#include "math/vector3.h"
#include "timing/stopwatch.h"

class Canvas;
class Scene;
class SceneRenderer;

// Animation time: started during static initialisation, so it counts from
// the start of the process.
extern Stopwatch animationClock;
// The eye; it looks along +x with +z up and +y to the left.
extern Vector3 cameraPosition;

inline constexpr std::int32_t FRAME_SIZE = 400;

// One frame at the animation clock's current reading.
void renderFrame(Canvas& canvas);

// One frame at time t: moves the light and the green sphere, then traces
// 400 x 400 pixels, column by column, through canvas.setPixel.
void renderFrameAt(Canvas& canvas, float t);

// The 400 x 400 pixels of scene as the eye sees them, through renderer:
// what renderFrameAt traces once it has placed the light and the sphere.
void traceDemoFrame(SceneRenderer& renderer, const Scene& scene, Canvas& canvas);

// Unit direction through pixel (i, j) of the image plane at distance 1.
Vector3 primaryRayDirection(std::int32_t i, std::int32_t j);
