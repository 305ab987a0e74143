// The values of the command-line options the tools share: a scene file, an
// image size and a number of threads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "scenefile/scene_file.h"

// Loads the scene file named on the command line. Returns 0, or the exit
// status for a file that could not be loaded (1 unreadable, 2 in error),
// whose placed error then goes to stderr.
inline int loadSceneOption(const std::string& path, SceneFileResult& loaded) {
    loaded = loadSceneFile(path);
    if (loaded) return 0;
    std::fprintf(stderr, "%s\n", loaded.error.text().c_str());
    return loaded.unreadable ? 1 : 2;
}

// "WxH", each a whole number from 1 to the scene format's largest side.
inline bool parseSize(const char* text, std::int32_t& width, std::int32_t& height) {
    char* end = nullptr;
    const long w = std::strtol(text, &end, 10);
    if (end == text || *end != 'x') return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (end == rest || *end != '\0' || w < 1 || h < 1 || w > SCENE_MAX_IMAGE_SIDE || h > SCENE_MAX_IMAGE_SIDE) {
        return false;
    }
    width = static_cast<std::int32_t>(w);
    height = static_cast<std::int32_t>(h);
    return true;
}

// A whole number of threads from 1 to 256.
inline bool parseThreads(const char* text, std::int32_t& n) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 256) return false;
    n = static_cast<std::int32_t>(value);
    return true;
}
