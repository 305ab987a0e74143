// Renders the demo frame, or a scene file's, at a given animation time into a
// PNG, with no window; with --repeat N it renders the frame N times and
// reports the time per frame.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/memory_canvas.h"
#include "option_values.h"
#include "png/png_image.h"
#include "raytracer_version.h"
#include "render/camera.h"
#include "render/parallel_renderer.h"
#include "scenefile/scene_animation.h"
#include "timing/stopwatch.h"

namespace {

const char* const usageLine =
    "usage: render-frame [--scene FILE.toml [--size WxH] [--threads N]] --time SECONDS [--repeat N] --out FILE.png\n";

int usage() {
    std::fputs(usageLine, stderr);
    return 2;
}

int help() {
    std::fputs(usageLine, stdout);
    std::fputs("Renders a frame at an animation time into a PNG: the demo's, 400 x 400, as the window shows it,\n"
               "or a scene file's at its image size.\n"
               "  --scene FILE.toml  render this scene file instead of the demo\n"
               "  --size WxH         with --scene, this image size instead of the file's\n"
               "  --threads N        with --scene, trace on N threads, 1 to 256 (default 1): the same picture\n"
               "  --time SECONDS     the animation time, a finite number of seconds\n"
               "  --repeat N         render the frame N times, 1 to 1000000, and print the time per frame\n"
               "  --out FILE.png     the file to write\n"
               "  --help             print this help and exit\n"
               "  --version          print the version and exit\n",
               stdout);
    return 0;
}

// A finite number with nothing after it, as a float the way the stopwatch reading is converted.
bool parseTime(const char* text, float& t) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0') return false;
    t = static_cast<float>(seconds);
    return std::isfinite(t);
}

// A whole number from 1 to 1,000,000 with nothing after it.
bool parseRepeat(const char* text, int& n) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 1000000) return false;
    n = static_cast<int>(value);
    return true;
}

// Renders n times; with n > 1 prints the median, least and greatest time.
void renderTimed(const std::function<void()>& render, int n) {
    std::vector<double> ms;
    for (int k = 0; k < n; ++k) {
        const Stopwatch watch;
        render();
        ms.push_back(watch.elapsed() * 1000.0);
    }
    if (n == 1) return;
    std::sort(ms.begin(), ms.end());
    const std::size_t mid = ms.size() / 2;
    const double median = ms.size() % 2 == 1 ? ms[mid] : (ms[mid - 1] + ms[mid]) / 2.0;
    std::printf("median ms per frame: %.3f (min %.3f, max %.3f)\n", median, ms.front(), ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    const char* timeText = nullptr;
    const char* outPath = nullptr;
    const char* repeatText = nullptr;
    const char* scenePath = nullptr;
    const char* sizeText = nullptr;
    const char* threadsText = nullptr;
    for (int i = 1; i < argc; i += 2) {
        if (std::strcmp(argv[i], "--help") == 0) return help();
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("render-frame (raytracer) " RAYTRACER_VERSION);
            return 0;
        }
        if (i + 1 >= argc) return usage();
        if (std::strcmp(argv[i], "--time") == 0 && timeText == nullptr) {
            timeText = argv[i + 1];
        } else if (std::strcmp(argv[i], "--repeat") == 0 && repeatText == nullptr) {
            repeatText = argv[i + 1];
        } else if (std::strcmp(argv[i], "--out") == 0 && outPath == nullptr) {
            outPath = argv[i + 1];
        } else if (std::strcmp(argv[i], "--scene") == 0 && scenePath == nullptr) {
            scenePath = argv[i + 1];
        } else if (std::strcmp(argv[i], "--size") == 0 && sizeText == nullptr) {
            sizeText = argv[i + 1];
        } else if (std::strcmp(argv[i], "--threads") == 0 && threadsText == nullptr) {
            threadsText = argv[i + 1];
        } else {
            return usage();
        }
    }
    float t = 0.0f;
    int repeat = 1;
    if (timeText == nullptr || outPath == nullptr || *outPath == '\0' || !parseTime(timeText, t)) return usage();
    if (repeatText != nullptr && !parseRepeat(repeatText, repeat)) return usage();
    std::int32_t width = FRAME_SIZE;
    std::int32_t height = FRAME_SIZE;
    if (sizeText != nullptr && (scenePath == nullptr || !parseSize(sizeText, width, height))) return usage();
    std::int32_t threads = 1;
    if (threadsText != nullptr && (scenePath == nullptr || !parseThreads(threadsText, threads))) return usage();

    std::unique_ptr<MemoryCanvas> canvas;
    if (scenePath != nullptr) {
        SceneFileResult loaded;
        if (const int status = loadSceneOption(scenePath, loaded)) return status;
        if (sizeText == nullptr) {
            width = loaded.scene->width;
            height = loaded.scene->height;
        }
        SceneAnimation animation(*loaded.scene);
        canvas = std::make_unique<MemoryCanvas>(width, height);
        if (threads == 1) {
            renderTimed([&] { animation.renderAt(*canvas, t); }, repeat);
        } else {
            ParallelRenderer renderer(threads);
            animation.placeAt(t);
            const std::unique_ptr<Camera> camera = animation.cameraAt(t);
            renderTimed([&] { renderer.render(animation.scene(), *camera, *canvas); }, repeat);
        }
    } else {
        buildScene();
        canvas = std::make_unique<MemoryCanvas>(width, height);
        renderTimed([&] { renderFrameAt(*canvas, t); }, repeat);
        destroyScene();
    }

    std::string error;
    if (!writePng(outPath, canvas->surface(), error)) {
        std::fprintf(stderr, "render-frame: cannot write %s\n", error.c_str());
        return 1;
    }
    return 0;
}
