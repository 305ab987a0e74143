// A field of many spheres over a mirror floor, traced by a SceneRenderer and
// saved as a PNG, with the time a frame took:
//   sphere-field [N [FILE.png]]      (N spheres, 16384 by default)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bmpwindow/memory_canvas.h"
#include "many_spheres.h"
#include "png/png_image.h"
#include "render/scene_renderer.h"

int main(int argc, char** argv) {
    char* end = nullptr;
    const long n = argc > 1 ? std::strtol(argv[1], &end, 10) : 16384;
    if (argc > 3 || (argc > 1 && (*end != '\0' || n < 1 || n > 4000000))) {
        std::fprintf(stderr, "usage: sphere-field [N [FILE.png]]   (N from 1 to 4000000)\n");
        return 2;
    }
    const std::string out = argc > 2 ? argv[2] : "sphere-field.png";

    Scene scene;
    buildManySpheres(scene, static_cast<std::int32_t>(n));
    MemoryCanvas canvas(MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT);
    SceneRenderer renderer;
    const auto start = std::chrono::steady_clock::now();
    renderer.render(scene, manySpheresCamera(), canvas);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("%ld spheres, %d x %d: %.0f ms for the first frame\n", n, MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT,
                took.count());

    std::string error;
    if (!writePng(out, canvas.surface(), error)) {
        std::fprintf(stderr, "sphere-field: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
