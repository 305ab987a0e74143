// A scene of its own, traced by a SceneRenderer through a PinholeCamera into
// a MemoryCanvas and saved as a PNG:  own-scene [FILE.png]
#include <cstdint>
#include <cstdio>
#include <string>

#include "bmpwindow/memory_canvas.h"
#include "png/png_image.h"
#include "render/pinhole_camera.h"
#include "render/scene_renderer.h"
#include "ring_scene.h"
#include "scene/scene.h"

namespace {

constexpr std::int32_t WIDTH = 320;
constexpr std::int32_t HEIGHT = 240;

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: own-scene [FILE.png]\n");
        return 2;
    }
    const std::string out = argc == 2 ? argv[1] : "own-scene.png";

    Scene scene;
    buildRing(scene);
    // From in front and above, +z up, with a field of view of about 45 degrees.
    const PinholeCamera camera(Vector3(0.0f, -8.0f, 4.0f), Vector3(0.0f, 0.0f, 0.6f), Vector3(0.0f, 0.0f, 1.0f),
                               44.8323f);
    MemoryCanvas canvas(WIDTH, HEIGHT);
    SceneRenderer renderer;
    renderer.render(scene, camera, canvas);

    std::string error;
    if (!writePng(out, canvas.surface(), error)) {
        std::fprintf(stderr, "own-scene: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
