// A scene file rendered at a time, at the file's image size, into a PNG:
//   scene-file SCENE.toml SECONDS OUT.png
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bmpwindow/memory_canvas.h"
#include "png/png_image.h"
#include "scenefile/scene_animation.h"
#include "scenefile/scene_file.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: scene-file SCENE.toml SECONDS OUT.png\n");
        return 2;
    }
    const SceneFileResult loaded = loadSceneFile(argv[1]);
    if (!loaded) {
        std::fprintf(stderr, "%s\n", loaded.error.text().c_str());  // FILE:LINE:COLUMN: message
        return loaded.unreadable ? 1 : 2;
    }
    SceneAnimation animation(*loaded.scene);
    MemoryCanvas canvas(animation.width(), animation.height());
    animation.renderAt(canvas, static_cast<float>(std::atof(argv[2])));

    std::string error;
    if (!writePng(argv[3], canvas.surface(), error)) {
        std::fprintf(stderr, "scene-file: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
