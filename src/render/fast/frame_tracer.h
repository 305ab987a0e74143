// FrameTracer: the scene's tracing, bit for bit, over a copy of one frame's
// shapes, one ray or a batch at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "math/ray.h"
#include "math/vector3.h"
#include "render/fast/shape_record.h"

class Scene;
class SceneObject;

// The nearest hit of a ray: which object, and how far along the ray. Plain
// data, so that arrays of them cost nothing to make; a search starts from none().
struct Hit {
    float distance;
    std::int32_t index;  // -1: nothing met

    static constexpr Hit none() { return {1e9f, -1}; }
    bool found() const { return index >= 0; }
};

// What a primary ray meets among the shapes that do not move, worked out
// once: its nearest hit, and the nearest hit of the mirror ray cast from there.
struct PathHint {
    Hit primary;
    Hit mirror;  // meaningful only when primary.found()
};

// A primary ray's direction with its PathHint.
struct HintedDirection {
    Vector3 direction;
    PathHint hint;
};

struct Material;

// Where a ray's path meets a surface: its shading point, normal and mirror
// direction, and the material whose local colour is still to be worked out.
struct ShadingJob {
    Vector3 point;
    Vector3 normal;
    Vector3 reflected;
    const Material* material;
};

// Scene::trace, isOccluded and shade, step for step and so bit for bit, over
// a copy of one frame's shapes taken as tagged records (no virtual calls for
// planes and spheres), with std::pow replaced where its result is certain.
//
// Shapes marked as fixed may be left out of a ray's search when the caller
// hands in their nearest hit, worked out in an earlier frame: the nearest hit
// is the least (distance, index) pair among the accepted distances, however
// the shapes are split, so adding the other shapes' hits to it afterwards
// gives the same object as one scan in insertion order.
class FrameTracer {
public:
    static constexpr std::int32_t MAX_BATCH = 512;

    // A level of rays as six arrays of floats, so that a group of them comes
    // in a few vector loads.
    struct RayArrays {
        float ox[MAX_BATCH], oy[MAX_BATCH], oz[MAX_BATCH];
        float dx[MAX_BATCH], dy[MAX_BATCH], dz[MAX_BATCH];

        void set(std::int32_t r, const Vector3& origin, const Vector3& direction) {
            ox[r] = origin.x, oy[r] = origin.y, oz[r] = origin.z;
            dx[r] = direction.x, dy[r] = direction.y, dz[r] = direction.z;
        }
        Ray ray(std::int32_t r) const { return Ray(Vector3(ox[r], oy[r], oz[r]), Vector3(dx[r], dy[r], dz[r])); }
    };

    // Copies the scene's shapes as they are now, all counted as moving. The
    // copies' storage only grows, so a scene of unchanged size allocates nothing.
    void load(const Scene& scene);

    // fixed[i] != 0: shape i is fixed and its hits come from the caller's
    // hints. Null: every shape is searched.
    void setFixed(const std::uint8_t* fixed);

    const Scene* scene() const { return scene_; }
    std::int32_t objectCount() const { return count_; }
    const ShapeRecord& record(std::int32_t i) const { return records_[i]; }
    const SceneObject* object(std::int32_t i) const { return objects_[i]; }

    // The fixed shapes' part of a primary ray's path.
    PathHint fixedHint(const Ray& ray) const;

    void trace(const Ray& ray, Vector3& colourOut, int depth = 0) const;
    bool isOccluded(const Ray& ray, float maxDistance) const;

    // colours[k] = what Scene::trace gives the ray from origin along
    // rays[k].direction, whose fixed shapes' hits rays[k].hint holds, for up
    // to MAX_BATCH rays. The rays' paths are found first and their lighting
    // done together afterwards, several points in step.
    void traceBatch(const Vector3& origin, const HintedDirection* rays, std::int32_t count, Vector3* colours) const;

private:
    // Keeps the least (distance, index) pair of the accepted hits.
    static void consider(Hit& hit, float t, std::int32_t i) {
        if (t >= 0.0f && (t < hit.distance || (t == hit.distance && i < hit.index))) hit = {t, i};
    }
    void addHits(const Ray& ray, const std::int32_t* indices, std::int32_t count, Hit& hit) const;
    // addHits for rays[first .. first + n) into hits[first ..], several at a
    // time where vector code is built.
    void addHitsMany(const RayArrays& rays, std::int32_t first, std::int32_t n, Hit* hits,
                     const std::int32_t* indices, std::int32_t count) const;
    // hits[k] gains the moving shapes' hits along the primary ray k.
    void addPrimaryHits(const Vector3& origin, const HintedDirection* rays, Hit* hits, std::int32_t n) const;
    Hit nearestFixedHit(const Ray& ray) const;
    void shade(std::int32_t index, const Vector3& direction, const Vector3& point, Vector3& colourOut,
               int depth) const;

    const Scene* scene_ = nullptr;
    std::int32_t count_ = 0;
    std::vector<ShapeRecord> records_;
    std::vector<const SceneObject*> objects_;
    // Shape indices: all of them, the fixed ones and the others, each in insertion order.
    std::vector<std::int32_t> all_;
    std::vector<std::int32_t> fixed_;
    std::vector<std::int32_t> moving_;
    std::int32_t fixedCount_ = 0;
    std::int32_t movingCount_ = 0;
};
