// The scene loader on any bytes: it must return a scene or an error with a
// place, never crash, throw, hang or run out of memory; a scene it accepts
// must build and render.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "bmpwindow/memory_canvas.h"
#include "scenefile/scene_animation.h"
#include "scenefile/scene_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SceneFileResult result = parseSceneFile(text, "fuzz.toml");
    if (!result) {
        if (result.error.line < 1 || result.error.column < 1 || result.error.message.empty()) std::abort();
        return 0;
    }
    // Only small scenes are traced: a big one says nothing more about the loader.
    if (result.scene->objects.size() > 64 || result.scene->lights.size() > 8) return 0;
    SceneAnimation animation(*result.scene);
    MemoryCanvas canvas(4, 4);
    for (float t : {0.0f, 1.5f, -7.0f}) animation.renderAt(canvas, t);
    return 0;
}
