// PrimaryPaths: per pixel, the primary ray and what it meets among the shapes that stay put.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/frame_renderer.h"
#include "scene/frame_tracer.h"

class Shape;

// For every pixel of the frame: its primary ray's direction, and what that
// ray and its first mirror ray meet among the shapes that stay put. The
// camera and most shapes never move, so this is worked out once and kept
// until the scene, the camera or one of those shapes changes; a shape seen
// to change is counted as moving from then on.
class PrimaryPaths {
public:
    // Brings the hints up to date for the shapes tracer has loaded and marks
    // the fixed ones in it. `moved` is a shape the caller moves every frame.
    void prepare(FrameTracer& tracer, const Vector3& camera, const Shape* moved);

    // Column i, top to bottom.
    const HintedDirection* column(std::int32_t i) const { return &pixels_[at(i, 0)]; }
    // Asks for column i to be brought into the cache while another is traced.
    void prefetchColumn(std::int32_t i) const {
#if defined(__GNUC__)
        const char* bytes = reinterpret_cast<const char*>(column(i));
        for (std::size_t offset = 0; offset < sizeof(Pixel) * FRAME_SIZE; offset += 64) __builtin_prefetch(bytes + offset);
#else
        (void)i;
#endif
    }

private:
    static constexpr std::int32_t PIXELS = FRAME_SIZE * FRAME_SIZE;
    using Pixel = HintedDirection;

    static std::int32_t at(std::int32_t i, std::int32_t j) { return i * FRAME_SIZE + j; }
    bool sameScene(const FrameTracer& tracer) const;
    bool fixedShapesUnchanged(const FrameTracer& tracer);
    void rebuild(FrameTracer& tracer, const Vector3& camera, const Shape* moved);

    // Static storage: the tables cost no allocation in any frame.
    static Pixel pixels_[PIXELS];

    bool directionsReady_ = false;
    bool valid_ = false;
    const Scene* scene_ = nullptr;
    std::int32_t count_ = 0;
    const SceneObject* objects_[FrameTracer::MAX_OBJECTS] = {};
    ShapeRecord records_[FrameTracer::MAX_OBJECTS];
    Vector3 camera_{0.0f, 0.0f, 0.0f};
    const Shape* moved_ = nullptr;
    std::uint32_t fixedMask_ = 0;
    std::uint32_t seenMoving_ = 0;
};
