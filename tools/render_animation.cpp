// Renders the demo's frames, or a scene file's, between two times at a frame rate, on several
// threads, into numbered PNG files or one animated WebP.
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "animation/animation_options.h"
#include "animation/atomic_file.h"
#include "animation/demo_frames.h"
#include "animation/frame_scheduler.h"
#include "animation/interrupt.h"
#include "animation/progress_line.h"
#include "animation/scene_frames.h"
#include "scenefile/scene_file.h"
#include "timing/stopwatch.h"
#ifdef RT_HAVE_WEBP
#include "animation/webp_animation.h"
#endif

namespace {

int usage(const std::string& why) {
    std::fprintf(stderr, "render-animation: %s\n", why.c_str());
    std::fputs("usage: render-animation --from T0 --to T1 --fps F --out DIR/NAME-%05d.png|FILE.webp"
               " [--scene FILE.toml] [--frames A:B] [--jobs N] [--quiet]\n",
               stderr);
    return 2;
}

int cannotWrite(const std::string& error) {
    std::fprintf(stderr, "render-animation: cannot write %s\n", error.c_str());
    return 1;
}

int defaultJobs() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n < 256 ? n : 256);
}

std::string where(const AnimationOptions& options) {
    if (!options.pattern) return options.webpPath;
    const std::string first = options.pattern->name(options.range.first);
    if (options.range.size() == 1) return first;
    return first + " to " + options.pattern->name(options.range.last - 1);
}

}  // namespace

int main(int argc, char** argv) {
    AnimationOptions options;
    std::string why;
    if (!parseAnimationOptions(argc, argv, defaultJobs(), options, why)) return usage(why);
#ifndef RT_HAVE_WEBP
    if (!options.pattern) return usage("this build writes PNG files only, not WebP");
#endif

    std::optional<SceneFile> scene;
    if (!options.scenePath.empty()) {
        SceneFileResult loaded = loadSceneFile(options.scenePath);
        if (!loaded) {
            std::fprintf(stderr, "%s\n", loaded.error.text().c_str());
            return loaded.unreadable ? 1 : 2;
        }
        scene = std::move(loaded.scene);
    }
    const std::int32_t width = scene ? scene->width : demoFrameSize;
    const std::int32_t height = scene ? scene->height : demoFrameSize;

    // Before any work: a missing directory or a read-only one shows at once.
    std::string error;
    if (!canCreateBeside(options.pattern ? options.pattern->name(options.range.first) : options.webpPath, error)) {
        return cannotWrite(error);
    }
    catchInterrupt();

    const Stopwatch watch;
    const bool onTerminal = !options.quiet && stderrIsTerminal();
    ProgressLine progress(onTerminal ? stderr : nullptr, options.range.size(), 0.0);
    progress.update(0, 0.0);
#ifdef RT_HAVE_WEBP
    std::unique_ptr<WebpAnimation> webp;
    if (!options.pattern) webp = std::make_unique<WebpAnimation>(width, height, options.sequence.fps);
#endif
    const FrameSink sink = [&](std::int64_t k, FrameSlot& slot) {
        bool ok = slot.error.empty();
        if (!ok) {
            error = slot.error;
        } else if (options.pattern) {
            ok = writeFileWhole(options.pattern->name(k), slot.encoded.data(), slot.encoded.size(), error);
        } else {
#ifdef RT_HAVE_WEBP
            ok = webp->add(slot.canvas.surface(), error);
            if (!ok) error = options.webpPath + ": " + error;
#endif
        }
        progress.update(k - options.range.first + 1, watch.elapsed());
        return ok;
    };
    ScheduleOptions schedule;
    schedule.jobs = options.jobs;
    schedule.width = width;
    schedule.height = height;
    schedule.stop = &interruptFlag();
    const bool asPng = options.pattern.has_value();
    const ScheduleEnd end =
        renderFrames(options.range, schedule,
                     scene ? sceneFrameWork(*scene, options.sequence, asPng) : demoFrameWork(options.sequence, asPng),
                     sink);

    if (end != ScheduleEnd::done) progress.breakLine();
    if (end == ScheduleEnd::stopped) {
        std::fputs("render-animation: interrupted\n", stderr);
        exitInterrupted();
    }
    if (end == ScheduleEnd::sinkFailed) return cannotWrite(error);
#ifdef RT_HAVE_WEBP
    if (webp) {
        std::vector<unsigned char> bytes;
        bool ok = webp->finish(bytes, error);
        if (!ok) error = options.webpPath + ": " + error;
        if (!ok || !writeFileWhole(options.webpPath, bytes.data(), bytes.size(), error)) {
            progress.breakLine();
            return cannotWrite(error);
        }
    }
#endif
    const std::int64_t n = options.range.size();
    const std::string summary = "render-animation: " + std::to_string(n) + (n == 1 ? " frame" : " frames") +
                                " written to " + where(options) + " in " + describeDuration(watch.elapsed());
    // The progress line is for a terminal only; the summary is for a log too.
    if (onTerminal) {
        progress.finish(summary);
    } else if (!options.quiet) {
        std::fprintf(stderr, "%s\n", summary.c_str());
    }
    return 0;
}
