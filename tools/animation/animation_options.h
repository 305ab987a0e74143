// AnimationOptions: render-animation's command line, read and checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "animation/frame_pattern.h"
#include "animation/frame_sequence.h"

inline constexpr std::int64_t maxFrames = 1000000;
inline constexpr double maxFps = 1000.0;

struct AnimationOptions {
    FrameSequence sequence;
    FrameRange range;                    // the frames to make: all, or --frames A:B
    std::optional<FramePattern> pattern; // PNG files; otherwise one WebP file at webpPath
    std::string webpPath;
    std::string scenePath;               // --scene: a scene file's frames instead of the demo's
    int jobs = 1;
    bool quiet = false;
    bool skipExisting = false;  // leave frames whose files are there already
    bool help = false;          // --help: nothing else is read
    bool version = false;       // --version: nothing else is read
};

// Reads argv[1..argc-1]. False, with what is wrong in why, for anything
// missing, unknown, repeated or out of range. defaultJobs is used without --jobs.
// --help or --version where an option may stand ends the reading with success
// and only that field set.
bool parseAnimationOptions(int argc, const char* const* argv, int defaultJobs, AnimationOptions& options,
                           std::string& why);

// "A:B" with 0 <= A < B, whole decimal numbers.
std::optional<FrameRange> parseFrameRange(const char* text);

// True for names ending in ".webp", any case.
bool isWebpName(const std::string& path);
