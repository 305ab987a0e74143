// Renders the demo frame at a given animation time into a PNG, with no window.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/memory_canvas.h"
#include "png/png_image.h"

namespace {

int usage() {
    std::fputs("usage: render-frame --time SECONDS --out FILE.png\n", stderr);
    return 2;
}

// A finite number with nothing after it, as a float the way the stopwatch reading is converted.
bool parseTime(const char* text, float& t) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0') return false;
    t = static_cast<float>(seconds);
    return std::isfinite(t);
}

}  // namespace

int main(int argc, char** argv) {
    const char* timeText = nullptr;
    const char* outPath = nullptr;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) return usage();
        if (std::strcmp(argv[i], "--time") == 0 && timeText == nullptr) {
            timeText = argv[i + 1];
        } else if (std::strcmp(argv[i], "--out") == 0 && outPath == nullptr) {
            outPath = argv[i + 1];
        } else {
            return usage();
        }
    }
    float t = 0.0f;
    if (timeText == nullptr || outPath == nullptr || *outPath == '\0' || !parseTime(timeText, t)) return usage();

    buildScene();
    MemoryCanvas canvas(FRAME_SIZE, FRAME_SIZE);
    renderFrameAt(canvas, t);
    destroyScene();

    std::string error;
    if (!writePng(outPath, canvas.surface(), error)) {
        std::fprintf(stderr, "render-frame: cannot write %s\n", error.c_str());
        return 1;
    }
    return 0;
}
