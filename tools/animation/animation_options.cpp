#include "animation/animation_options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// A number with nothing after it, finite also once narrowed to float, as render-frame reads its --time.
bool parseSeconds(const char* text, double& seconds) {
    char* end = nullptr;
    seconds = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(static_cast<float>(seconds));
}

bool parseWhole(const char* text, std::int64_t& value) {
    if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    value = parsed;
    return true;
}

bool fail(std::string& why, std::string text) {
    why = std::move(text);
    return false;
}

}  // namespace

std::optional<FrameRange> parseFrameRange(const char* text) {
    const char* colon = std::strchr(text, ':');
    if (colon == nullptr) return std::nullopt;
    const std::string first(text, colon);
    FrameRange range;
    if (!parseWhole(first.c_str(), range.first) || !parseWhole(colon + 1, range.last)) return std::nullopt;
    if (range.first >= range.last) return std::nullopt;
    return range;
}

bool isWebpName(const std::string& path) {
    const std::string suffix = ".webp";
    if (path.size() <= suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[path.size() - suffix.size() + i]);
        if (std::tolower(c) != suffix[i]) return false;
    }
    return true;
}

bool parseAnimationOptions(int argc, const char* const* argv, int defaultJobs, AnimationOptions& options,
                           std::string& why) {
    const char* from = nullptr;
    const char* to = nullptr;
    const char* fps = nullptr;
    const char* out = nullptr;
    const char* frames = nullptr;
    const char* jobs = nullptr;
    const char* scene = nullptr;
    bool quiet = false;
    bool skipExisting = false;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "--version") {
            options = AnimationOptions{};
            (name == "--help" ? options.help : options.version) = true;
            return true;
        }
        bool* flag = name == "--quiet" ? &quiet : name == "--skip-existing" ? &skipExisting : nullptr;
        if (flag != nullptr && !*flag) {
            *flag = true;
            continue;
        }
        const char** value = name == "--from"     ? &from
                             : name == "--to"     ? &to
                             : name == "--fps"    ? &fps
                             : name == "--out"    ? &out
                             : name == "--frames" ? &frames
                             : name == "--jobs"   ? &jobs
                             : name == "--scene"  ? &scene
                                                  : nullptr;
        if (value == nullptr) return fail(why, "unknown or repeated argument " + name);
        if (*value != nullptr) return fail(why, name + " given twice");
        if (i + 1 >= argc) return fail(why, name + " needs a value");
        *value = argv[++i];
    }
    if (from == nullptr || to == nullptr || fps == nullptr || out == nullptr) {
        return fail(why, "--from, --to, --fps and --out are needed");
    }

    FrameSequence& sequence = options.sequence;
    if (!parseSeconds(from, sequence.from)) return fail(why, "--from is not a finite number");
    if (!parseSeconds(to, sequence.to)) return fail(why, "--to is not a finite number");
    if (!(sequence.to > sequence.from)) return fail(why, "--to must be later than --from");
    char* end = nullptr;
    sequence.fps = std::strtod(fps, &end);
    if (end == fps || *end != '\0' || !(sequence.fps > 0.0 && sequence.fps <= maxFps)) {
        return fail(why, "--fps must be a number above 0 and at most 1000");
    }
    const std::int64_t count = sequence.count(maxFrames);
    if (count > maxFrames) return fail(why, "more than 1000000 frames");

    options.range = FrameRange{0, count};
    if (frames != nullptr) {
        const std::optional<FrameRange> slice = parseFrameRange(frames);
        if (!slice) return fail(why, "--frames must be A:B with whole numbers A < B");
        if (slice->last > count) {
            return fail(why, "--frames " + std::string(frames) + " reaches past the last frame, " +
                                 std::to_string(count - 1));
        }
        options.range = *slice;
    }

    if (*out == '\0') return fail(why, "--out is empty");
    if (isWebpName(out)) {
        if (frames != nullptr) return fail(why, "--frames needs PNG output: one WebP cannot be made in slices");
        if (skipExisting) return fail(why, "--skip-existing needs PNG output: one WebP is made whole or not at all");
        if (static_cast<double>(count) * 1000.0 / sequence.fps > INT_MAX) {
            return fail(why, "a WebP cannot last longer than 24 days");
        }
        options.webpPath = out;
    } else {
        options.pattern = FramePattern::parse(out);
        if (!options.pattern) {
            return fail(why, "--out must end in .webp or hold exactly one integer field such as %05d");
        }
    }

    options.jobs = defaultJobs;
    if (jobs != nullptr) {
        std::int64_t n = 0;
        if (!parseWhole(jobs, n) || n < 1 || n > 256) return fail(why, "--jobs must be from 1 to 256");
        options.jobs = static_cast<int>(n);
    }
    options.quiet = quiet;
    options.skipExisting = skipExisting;
    if (scene != nullptr) {
        if (*scene == '\0') return fail(why, "--scene is empty");
        options.scenePath = scene;
    }
    return true;
}
