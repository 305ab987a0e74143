// PrimaryPaths: per pixel, the primary ray and what it meets among the shapes that stay put.
#pragma once

#include <cstddef>
#include <cstdint>
#include <typeinfo>
#include <vector>

#include "render/camera.h"
#include "render/fast/frame_tracer.h"

class Shape;

// For every pixel of the image: its primary ray's direction, and what that
// ray and its first mirror ray meet among the shapes that stay put. The
// camera and most shapes seldom move, so this is worked out once the camera
// has stood still for a frame, and kept until the scene, the camera or one of
// those shapes changes; a shape seen to change is counted as moving from then
// on. A frame whose camera moved has no table: its rays are made as they are
// traced, and every shape is searched.
class PrimaryPaths {
public:
    // The largest image whose pixels get a table; a larger one is always
    // traced without one.
    static constexpr std::size_t MAX_TABLE_PIXELS = std::size_t{1} << 25;

    // Brings the table up to date for this frame and marks in tracer, which
    // holds this frame's shapes, the ones whose hits come from the hints.
    // `moving` are shapes the caller moves every frame. False: the camera
    // moved since the last frame, and this frame is traced without the table.
    bool prepare(FrameTracer& tracer, const Camera& camera, const Vector3& position, std::int32_t width,
                 std::int32_t height, const std::vector<const Shape*>& moving);

    // Column i, top to bottom.
    const HintedDirection* column(std::int32_t i) const { return &pixels_[at(i, 0)]; }
    // Asks for column i to be brought into the cache while another is traced.
    void prefetchColumn(std::int32_t i) const {
#if defined(__GNUC__)
        const char* bytes = reinterpret_cast<const char*>(column(i));
        const std::size_t size = sizeof(HintedDirection) * static_cast<std::size_t>(height_);
        for (std::size_t offset = 0; offset < size; offset += 64) __builtin_prefetch(bytes + offset);
#else
        (void)i;
#endif
    }

private:
    std::size_t at(std::int32_t i, std::int32_t j) const {
        return static_cast<std::size_t>(i) * static_cast<std::size_t>(height_) + static_cast<std::size_t>(j);
    }
    bool sameCamera(const Camera& camera, const Camera::Key& key, const Vector3& position) const;
    void aim(const Camera& camera);
    bool sameScene(const FrameTracer& tracer) const;
    bool fixedShapesUnchanged(const FrameTracer& tracer);
    void rebuildHints(FrameTracer& tracer, const std::vector<const Shape*>& moving);

    std::vector<HintedDirection> pixels_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;

    // The last frame's camera, and whether the directions are made for it.
    bool aimed_ = false;
    const std::type_info* cameraType_ = nullptr;
    Camera::Key cameraKey_;
    Vector3 position_{0.0f, 0.0f, 0.0f};

    // The shapes the hints were made for.
    bool hinted_ = false;
    const Scene* scene_ = nullptr;
    std::int32_t count_ = 0;
    std::vector<const SceneObject*> objects_;
    std::vector<ShapeRecord> records_;
    std::vector<std::uint8_t> fixed_;
    std::vector<std::uint8_t> seenMoving_;
};
