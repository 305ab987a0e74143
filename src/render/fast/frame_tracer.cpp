#include "render/fast/frame_tracer.h"

#include "render/fast/fast_highlight.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "scene/shading_steps.h"

void FrameTracer::load(const Scene& scene) {
    const auto& objects = scene.objects();
    scene_ = &scene;
    count_ = static_cast<std::int32_t>(objects.size());
    const auto n = objects.size();
    if (records_.size() < n) {
        records_.resize(n);
        objects_.resize(n);
        all_.resize(n);
        fixed_.resize(n);
        moving_.resize(n);
    }
    for (std::int32_t i = 0; i < count_; ++i) {
        objects_[i] = objects[static_cast<std::size_t>(i)];
        records_[i] = ShapeRecord::of(objects_[i]->shape());
        all_[i] = i;
    }
    setFixed(nullptr);
}

void FrameTracer::setFixed(const std::uint8_t* fixed) {
    fixedCount_ = 0;
    movingCount_ = 0;
    for (std::int32_t i = 0; i < count_; ++i) {
        if (fixed != nullptr && fixed[i] != 0) {
            fixed_[fixedCount_++] = i;
        } else {
            moving_[movingCount_++] = i;
        }
    }
}

// The least (distance, index) pair: in one scan in insertion order that is
// the strict `t < nearest` of Scene::trace, and it stays right when the scan
// starts from another subset's nearest hit.
void FrameTracer::addHits(const Ray& ray, const std::int32_t* indices, std::int32_t count, Hit& hit) const {
    for (std::int32_t k = 0; k < count; ++k) consider(hit, records_[indices[k]].intersect(ray), indices[k]);
}

Hit FrameTracer::nearestFixedHit(const Ray& ray) const {
    Hit hit = Hit::none();
    addHits(ray, fixed_.data(), fixedCount_, hit);
    return hit;
}

PathHint FrameTracer::fixedHint(const Ray& ray) const {
    PathHint hint{nearestFixedHit(ray), Hit::none()};
    if (hint.primary.found()) {
        // The mirror ray exactly as shade will cast it from this hit.
        const Vector3 point = shadingPoint(ray, hint.primary.distance);
        const Vector3 normal = records_[hint.primary.index].normalAt(point);
        hint.mirror = nearestFixedHit(Ray(point, mirrorDirection(ray.direction, normal)));
    }
    return hint;
}

void FrameTracer::trace(const Ray& ray, Vector3& colourOut, int depth) const {
    if (depth > MAX_REFLECTION_DEPTH) {
        colourOut = backgroundColour;
        return;
    }
    Hit hit = Hit::none();
    addHits(ray, all_.data(), count_, hit);
    if (!hit.found()) {
        colourOut = backgroundColour;
        return;
    }
    shade(hit.index, ray.direction, shadingPoint(ray, hit.distance), colourOut, depth);
}

bool FrameTracer::isOccluded(const Ray& ray, float maxDistance) const {
    for (std::int32_t i = 0; i < count_; ++i) {
        const float t = records_[i].intersect(ray);
        if (t >= 0.0f && t < maxDistance) return true;
    }
    return false;
}

void FrameTracer::shade(std::int32_t index, const Vector3& direction, const Vector3& point, Vector3& colourOut,
                        int depth) const {
    colourOut.set(0.0f, 0.0f, 0.0f);
    const Vector3 normal = records_[index].normalAt(point);
    shadeSteps(
        objects_[index]->material(), scene_->lights(), direction, point, normal, colourOut,
        [&](const Ray& mirrorRay, Vector3& colour) { trace(mirrorRay, colour, depth + 1); },
        [this](const Ray& shadowRay, float distance) { return isOccluded(shadowRay, distance); },
        fastSpecularHighlight);
}
