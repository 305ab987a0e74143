#include "app/primary_paths.h"

#include <cstring>

#include "scene/scene_object.h"

PrimaryPaths::Pixel PrimaryPaths::pixels_[PrimaryPaths::PIXELS];

namespace {
bool sameBits(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
}  // namespace

void PrimaryPaths::prepare(FrameTracer& tracer, const Vector3& camera, const Shape* moved) {
    if (!directionsReady_) {
        for (std::int32_t i = 0; i < FRAME_SIZE; ++i) {
            for (std::int32_t j = 0; j < FRAME_SIZE; ++j) pixels_[at(i, j)].direction = primaryRayDirection(i, j);
        }
        directionsReady_ = true;
    }
    if (!sameScene(tracer)) {
        seenMoving_ = 0;
    } else if (sameBits(camera, camera_) && moved == moved_ && fixedShapesUnchanged(tracer)) {
        tracer.setFixed(fixedMask_);
        return;
    }
    rebuild(tracer, camera, moved);
}

bool PrimaryPaths::sameScene(const FrameTracer& tracer) const {
    if (!valid_ || tracer.scene() != scene_ || tracer.objectCount() != count_) return false;
    for (std::int32_t i = 0; i < count_; ++i) {
        if (tracer.object(i) != objects_[i] || tracer.record(i).shape != records_[i].shape) return false;
    }
    return true;
}

bool PrimaryPaths::fixedShapesUnchanged(const FrameTracer& tracer) {
    bool unchanged = true;
    for (std::int32_t i = 0; i < count_; ++i) {
        if ((fixedMask_ >> i & 1u) && !tracer.record(i).sameAs(records_[i])) {
            seenMoving_ |= 1u << i;
            unchanged = false;
        }
    }
    return unchanged;
}

void PrimaryPaths::rebuild(FrameTracer& tracer, const Vector3& camera, const Shape* moved) {
    valid_ = true;
    scene_ = tracer.scene();
    count_ = tracer.objectCount();
    camera_ = camera;
    moved_ = moved;
    fixedMask_ = 0;
    for (std::int32_t i = 0; i < count_; ++i) {
        objects_[i] = tracer.object(i);
        records_[i] = tracer.record(i);
        const bool known = records_[i].kind != ShapeRecord::Kind::Other;
        if (known && records_[i].shape != moved && !(seenMoving_ >> i & 1u)) fixedMask_ |= 1u << i;
    }
    tracer.setFixed(fixedMask_);
    for (Pixel& pixel : pixels_) pixel.hint = tracer.fixedHint(Ray(camera, pixel.direction));
}
