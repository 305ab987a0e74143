// Renders the demo's frames, or a scene file's, between two times at a frame rate, on several
// threads, into numbered PNG files or one animated WebP.
#include <cstdio>
#include <filesystem>
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
#include "option_values.h"
#include "raytracer_version.h"
#include "scenefile/scene_file.h"
#include "timing/stopwatch.h"
#ifdef RT_HAVE_WEBP
#include "animation/webp_animation.h"
#endif

namespace {

const char* const usageLine =
    "usage: render-animation --from T0 --to T1 --fps F --out DIR/NAME-%05d.png|FILE.webp"
    " [--scene FILE.toml] [--frames A:B] [--jobs N] [--skip-existing] [--quiet]\n";

int usage(const std::string& why) {
    std::fprintf(stderr, "render-animation: %s\n", why.c_str());
    std::fputs(usageLine, stderr);
    return 2;
}

int help() {
    std::fputs(usageLine, stdout);
    std::fputs("Renders the demo's frames, or a scene file's, at T0 + k / F, k = 0, 1, ... while before T1, as\n"
               "numbered PNG files or one lossless animated WebP.\n"
               "  --scene FILE.toml a scene file's frames, at its image size, instead of the demo's\n"
               "  --from T0         the time of frame 0, in seconds\n"
               "  --to T1           the end of the animation, later than T0 and not included\n"
               "  --fps F           frames per second, above 0 and at most 1000\n"
               "  --out PATTERN     one PNG per frame, named by a pattern with one integer field (%05d),\n"
               "                    or one animated WebP when the name ends in .webp\n"
               "  --frames A:B      only frames A to B - 1 (PNG output)\n"
               "  --jobs N          frames made on N threads at once, 1 to 256 (default: one per core)\n"
               "  --skip-existing   leave the frames whose files are there already and make the rest (PNG output)\n"
               "  --quiet           no progress line and no closing line\n"
               "  --help            print this help and exit\n"
               "  --version         print the version and exit\n",
               stdout);
    return 0;
}

int cannotWrite(const std::string& error) {
    std::fprintf(stderr, "render-animation: cannot write %s\n", error.c_str());
    return 1;
}

int defaultJobs() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n < 256 ? n : 256);
}

// The files of frames first to last, or the WebP.
std::string where(const AnimationOptions& options, std::int64_t first, std::int64_t last) {
    if (!options.pattern) return options.webpPath;
    if (first == last) return options.pattern->name(first);
    return options.pattern->name(first) + " to " + options.pattern->name(last);
}

// The frames of the range still to make. A file under a frame's name is
// whole, as files are only ever renamed into place, so it is kept.
std::vector<std::int64_t> framesMissing(const AnimationOptions& options) {
    std::vector<std::int64_t> missing;
    for (std::int64_t k = options.range.first; k < options.range.last; ++k) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(options.pattern->name(k), error)) missing.push_back(k);
    }
    return missing;
}

}  // namespace

int main(int argc, char** argv) {
    AnimationOptions options;
    std::string why;
    if (!parseAnimationOptions(argc, argv, defaultJobs(), options, why)) return usage(why);
    if (options.help) return help();
    if (options.version) {
        std::puts("render-animation (raytracer) " RAYTRACER_VERSION);
        return 0;
    }
#ifndef RT_HAVE_WEBP
    if (!options.pattern) return usage("this build writes PNG files only, not WebP");
#endif

    std::optional<SceneFile> scene;
    if (!options.scenePath.empty()) {
        SceneFileResult loaded;
        if (const int status = loadSceneOption(options.scenePath, loaded)) return status;
        scene = std::move(loaded.scene);
    }
    const std::int32_t width = scene ? scene->width : demoFrameSize;
    const std::int32_t height = scene ? scene->height : demoFrameSize;

    // The scheduler works through positions 0 to n - 1; frameAt maps them to
    // frame numbers, which skip the frames already there.
    std::vector<std::int64_t> missing;
    if (options.skipExisting) missing = framesMissing(options);
    const std::int64_t n = options.skipExisting ? static_cast<std::int64_t>(missing.size()) : options.range.size();
    const std::int64_t kept = options.range.size() - n;
    const auto frameAt = [&](std::int64_t i) {
        return options.skipExisting ? missing[static_cast<std::size_t>(i)] : options.range.first + i;
    };
    if (n == 0) {
        if (!options.quiet) {
            std::fprintf(stderr, "render-animation: all %lld frames were there already\n", static_cast<long long>(kept));
        }
        return 0;
    }

    // Before any work: a missing directory or a read-only one shows at once.
    std::string error;
    if (!canCreateBeside(options.pattern ? options.pattern->name(frameAt(0)) : options.webpPath, error)) {
        return cannotWrite(error);
    }
    catchInterrupt();

    const Stopwatch watch;
    const bool onTerminal = !options.quiet && stderrIsTerminal();
    ProgressLine progress(onTerminal ? stderr : nullptr, n, 0.0);
    progress.update(0, 0.0);
#ifdef RT_HAVE_WEBP
    std::unique_ptr<WebpAnimation> webp;
    if (!options.pattern) webp = std::make_unique<WebpAnimation>(width, height, options.sequence.fps);
#endif
    const FrameSink sink = [&](std::int64_t i, FrameSlot& slot) {
        bool ok = slot.error.empty();
        if (!ok) {
            error = slot.error;
        } else if (options.pattern) {
            ok = writeFileWhole(options.pattern->name(frameAt(i)), slot.encoded.data(), slot.encoded.size(), error);
        } else {
#ifdef RT_HAVE_WEBP
            ok = webp->add(slot.canvas.surface(), error);
            if (!ok) error = options.webpPath + ": " + error;
#endif
        }
        progress.update(i + 1, watch.elapsed());
        return ok;
    };
    const bool asPng = options.pattern.has_value();
    const FrameWorkFactory makeFrames =
        scene ? sceneFrameWork(*scene, options.sequence, asPng) : demoFrameWork(options.sequence, asPng);
    const FrameWorkFactory makeWork = [&] {
        FrameWork make = makeFrames();
        return FrameWork([&frameAt, make](std::int64_t i, FrameSlot& slot) { make(frameAt(i), slot); });
    };
    ScheduleOptions schedule;
    schedule.jobs = options.jobs;
    schedule.width = width;
    schedule.height = height;
    schedule.stop = &interruptFlag();
    const ScheduleEnd end = renderFrames(FrameRange{0, n}, schedule, makeWork, sink);

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
    std::string summary = "render-animation: " + std::to_string(n) + (n == 1 ? " frame" : " frames") + " written to " +
                          where(options, frameAt(0), frameAt(n - 1)) + " in " + describeDuration(watch.elapsed());
    if (kept > 0) summary += ", " + std::to_string(kept) + (kept == 1 ? " was" : " were") + " there already";
    // The progress line is for a terminal only; the summary is for a log too.
    if (onTerminal) {
        progress.finish(summary);
    } else if (!options.quiet) {
        std::fprintf(stderr, "%s\n", summary.c_str());
    }
    return 0;
}
