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
    std::int32_t spheres = 0;
    for (std::int32_t i = 0; i < count_; ++i) {
        objects_[i] = objects[static_cast<std::size_t>(i)];
        records_[i] = ShapeRecord::of(objects_[i]->shape());
        all_[i] = i;
        spheres += SphereTree::holds(records_[i]) ? 1 : 0;
    }
    useTree_ = spheres >= TREE_THRESHOLD;
    if (useTree_) {
        tree_.update(records_.data(), count_);
        others_.reserve(records_.size());
        others_.clear();
        for (std::int32_t i = 0; i < count_; ++i) {
            if (!SphereTree::holds(records_[i])) others_.push_back(i);
        }
        fixedMask_.resize(records_.size());
        movingMask_.resize(records_.size());
        fixedOthers_.reserve(records_.size());
        movingOthers_.reserve(records_.size());
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
    if (!useTree_) return;
    fixedOthers_.clear();
    movingOthers_.clear();
    movingSpheres_ = 0;
    fixedSpheres_ = 0;
    for (std::int32_t i = 0; i < count_; ++i) {
        const bool isFixed = fixed != nullptr && fixed[i] != 0;
        fixedMask_[i] = isFixed ? 1 : 0;
        movingMask_[i] = isFixed ? 0 : 1;
        if (SphereTree::holds(records_[i])) {
            movingSpheres_ += isFixed ? 0 : 1;
            fixedSpheres_ += isFixed ? 1 : 0;
        } else {
            (isFixed ? fixedOthers_ : movingOthers_).push_back(i);
        }
    }
}

// The least (distance, index) pair: in one scan in insertion order that is
// the strict `t < nearest` of Scene::trace, and it stays right when the scan
// starts from another subset's nearest hit.
void FrameTracer::addHits(const Ray& ray, const std::int32_t* indices, std::int32_t count, Hit& hit) const {
    for (std::int32_t k = 0; k < count; ++k) keepNearer(hit, records_[indices[k]].intersect(ray), indices[k]);
}

void FrameTracer::trace(const Ray& ray, Vector3& colourOut, int depth) const {
    if (depth > MAX_REFLECTION_DEPTH) {
        colourOut = backgroundColour;
        return;
    }
    Hit hit = Hit::none();
    addHits(ray, listedShapes(), listedCount(), hit);
    if (useTree_) tree_.addNearest(ray, hit, nullptr);
    if (!hit.found()) {
        colourOut = backgroundColour;
        return;
    }
    shade(hit.index, ray.direction, shadingPoint(ray, hit.distance), colourOut, depth);
}

bool FrameTracer::isOccluded(const Ray& ray, float maxDistance) const {
    const std::int32_t* listed = listedShapes();
    const std::int32_t count = listedCount();
    for (std::int32_t k = 0; k < count; ++k) {
        const float t = records_[listed[k]].intersect(ray);
        if (t >= 0.0f && t < maxDistance) return true;
    }
    return useTree_ && tree_.occludes(ray, maxDistance);
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
