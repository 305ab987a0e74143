#include "render/fast/primary_paths.h"

#include <algorithm>
#include <cstring>

#include "geometry/shape.h"
#include "scene/scene_object.h"

namespace {

bool sameBits(const void* a, const void* b, std::size_t size) { return std::memcmp(a, b, size) == 0; }

}  // namespace

bool PrimaryPaths::prepare(FrameTracer& tracer, const Camera& camera, const Vector3& position, std::int32_t width,
                           std::int32_t height, const std::vector<const Shape*>& moving) {
    const Camera::Key key = camera.key();
    // Everything a table needs is sized with the first frame of an image or
    // a scene, so that the frames that fill it in later allocate nothing.
    const auto objects = static_cast<std::size_t>(tracer.objectCount());
    objects_.reserve(objects);
    records_.reserve(objects);
    fixed_.reserve(objects);
    seenMoving_.reserve(objects);
    if (width != width_ || height != height_) {
        pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        width_ = width;
        height_ = height;
        aimed_ = false;
    }
    if (!sameCamera(camera, key, position)) {
        // Moved since the last frame: not worth a table until it stands still.
        cameraType_ = &typeid(camera);
        cameraKey_ = key;
        position_ = position;
        aimed_ = false;
        return false;
    }
    if (!aimed_) aim(camera);
    if (hinted_ && sameScene(tracer) && fixedShapesUnchanged(tracer)) {
        tracer.setFixed(fixed_.data());
    } else {
        rebuildHints(tracer, moving);
    }
    return true;
}

bool PrimaryPaths::sameCamera(const Camera& camera, const Camera::Key& key, const Vector3& position) const {
    return cameraType_ != nullptr && key.count >= 0 && key.count == cameraKey_.count &&
           typeid(camera) == *cameraType_ &&
           sameBits(key.values.data(), cameraKey_.values.data(), sizeof(float) * static_cast<std::size_t>(key.count)) &&
           sameBits(&position, &position_, sizeof position);
}

void PrimaryPaths::aim(const Camera& camera) {
    constexpr std::int32_t RUN = 256;
    Vector3 directions[RUN];
    for (std::int32_t i = 0; i < width_; ++i) {
        for (std::int32_t j0 = 0; j0 < height_; j0 += RUN) {
            const std::int32_t n = std::min(RUN, height_ - j0);
            camera.columnDirections(i, j0, n, width_, height_, directions);
            HintedDirection* pixel = &pixels_[at(i, j0)];
            for (std::int32_t k = 0; k < n; ++k) pixel[k].direction = directions[k];
        }
    }
    aimed_ = true;
    hinted_ = false;
}

bool PrimaryPaths::sameScene(const FrameTracer& tracer) const {
    if (tracer.scene() != scene_ || tracer.objectCount() != count_) return false;
    for (std::int32_t i = 0; i < count_; ++i) {
        if (tracer.object(i) != objects_[i] || tracer.record(i).shape != records_[i].shape) return false;
    }
    return true;
}

bool PrimaryPaths::fixedShapesUnchanged(const FrameTracer& tracer) {
    bool unchanged = true;
    for (std::int32_t i = 0; i < count_; ++i) {
        if (fixed_[i] != 0 && !tracer.record(i).sameAs(records_[i])) {
            seenMoving_[i] = 1;
            unchanged = false;
        }
    }
    return unchanged;
}

void PrimaryPaths::rebuildHints(FrameTracer& tracer, const std::vector<const Shape*>& moving) {
    const bool sameShapes = sameScene(tracer);
    scene_ = tracer.scene();
    count_ = tracer.objectCount();
    const auto n = static_cast<std::size_t>(count_);
    objects_.resize(n);
    records_.resize(n);
    fixed_.resize(n);
    seenMoving_.resize(n);
    if (!sameShapes) std::fill(seenMoving_.begin(), seenMoving_.end(), std::uint8_t{0});
    for (std::int32_t i = 0; i < count_; ++i) {
        objects_[i] = tracer.object(i);
        records_[i] = tracer.record(i);
        const bool known = records_[i].kind != ShapeRecord::Kind::Other;
        const bool movedByCaller = std::find(moving.begin(), moving.end(), records_[i].shape) != moving.end();
        fixed_[i] = known && !movedByCaller && seenMoving_[i] == 0;
    }
    tracer.setFixed(fixed_.data());
    for (std::int32_t i = 0; i < width_; ++i) tracer.makeHints(position_, &pixels_[at(i, 0)], height_);
    hinted_ = true;
}
