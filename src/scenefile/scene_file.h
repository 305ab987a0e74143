// The scene format: a TOML file that describes a scene, its camera, its image
// size and what moves, read into values that map one to one onto the library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "math/vector3.h"
#include "scene/material.h"
#include "scenefile/motion.h"

// The format versions this loader reads.
inline constexpr std::int64_t SCENE_FORMAT_VERSION = 1;

// What the loader accepts at most: beyond these a file is refused with an
// error rather than read into memory without bound.
inline constexpr std::size_t SCENE_FILE_MAX_BYTES = 8u << 20;
inline constexpr std::size_t SCENE_MAX_OBJECTS = 1000000;
inline constexpr std::size_t SCENE_MAX_LIGHTS = 10000;
inline constexpr std::size_t SCENE_MAX_KEYFRAMES = 100000;
inline constexpr std::int64_t SCENE_MAX_IMAGE_SIDE = 16384;

struct FileCamera {
    // pinhole: PinholeCamera(eye, target, up, fovDegrees); demo: DemoCamera(eye),
    // the demo's own camera looking along +x with +z up.
    enum class Kind { pinhole, demo };
    Kind kind = Kind::pinhole;
    Motion eye;
    Motion target;
    Vector3 up{0.0f, 0.0f, 1.0f};
    float fovDegrees = 60.0f;  // vertical
};

struct FileObject {
    enum class Kind { plane, sphere };
    Kind kind = Kind::plane;
    std::string materialName;
    Material material{Vector3(0.0f, 0.0f, 0.0f), 0.0f, 0.0f, 0.0f};
    Vector3 normal{0.0f, 0.0f, 1.0f};  // plane: PlaneEquation(normal, offset)
    float offset = 0.0f;
    Motion centre;  // sphere: Sphere(centre, radius)
    float radius = 1.0f;
};

struct FileLight {
    Motion position;
    Vector3 intensity{0.0f, 0.0f, 0.0f};
};

// A scene file's content, in the file's order (which breaks ties between
// objects and orders the lights' sums).
struct SceneFile {
    std::int64_t formatVersion = SCENE_FORMAT_VERSION;
    std::int32_t width = 400;
    std::int32_t height = 400;
    FileCamera camera;
    std::vector<FileObject> objects;
    std::vector<FileLight> lights;
};

struct SceneFileError {
    std::string file;
    std::int64_t line = 0;    // from 1; 0 when the file could not be read at all
    std::int64_t column = 0;  // from 1, in characters
    std::string message;

    // "FILE:LINE:COLUMN: message", or "FILE: message" without a place.
    std::string text() const;
};

// A SceneFile, or why there is none. unreadable: the file could not be read
// (missing, a folder, no permission, too large), as against read and wrong.
struct SceneFileResult {
    std::optional<SceneFile> scene;
    SceneFileError error;
    bool unreadable = false;

    explicit operator bool() const { return scene.has_value(); }
};

// Reads and checks a scene file. Never throws: every failure, out of memory
// included, comes back as an error.
SceneFileResult loadSceneFile(const std::string& path);

// The same for text already in memory; name is what errors call the file.
SceneFileResult parseSceneFile(std::string_view text, const std::string& name);
