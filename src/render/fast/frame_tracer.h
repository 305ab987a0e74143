// FrameTracer: the scene's tracing, bit for bit, over a copy of one frame's
// shapes, one ray or a batch at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "math/ray.h"
#include "math/vector3.h"
#include "render/fast/hit.h"
#include "render/fast/shape_record.h"
#include "render/fast/sphere_tree.h"

class Scene;
class SceneObject;

// What a primary ray meets among the shapes that do not move, worked out
// once: its nearest hit, and the nearest hit of the mirror ray cast from there.
struct PathHint {
    Hit primary;
    Hit mirror;  // meaningful only when primary.found() and mirrorMade()

    // A matte surface casts no mirror ray, so none is worked out for it;
    // should its material turn reflective later, the ray is searched whole.
    static constexpr Hit MIRROR_NOT_MADE = {1e9f, -2};
    bool mirrorMade() const { return mirror.index != MIRROR_NOT_MADE.index; }
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

    // Which shapes a search covers: all of them, the moving ones only, or the
    // fixed ones only.
    enum class Subset { All, Moving, Fixed };

    // From this many spheres on they are searched through a SphereTree.
    static constexpr std::int32_t TREE_THRESHOLD = 128;

    const Scene* scene() const { return scene_; }
    std::int32_t objectCount() const { return count_; }
    const ShapeRecord& record(std::int32_t i) const { return records_[i]; }
    const SceneObject* object(std::int32_t i) const { return objects_[i]; }

    // The shapes a shadow ray is tested against one by one (in insertion
    // order); when usesTree(), the tree's spheres are tested through it after them.
    const std::int32_t* listedShapes() const { return useTree_ ? others_.data() : all_.data(); }
    std::int32_t listedCount() const { return useTree_ ? static_cast<std::int32_t>(others_.size()) : count_; }
    bool usesTree() const { return useTree_; }
    const SphereTree& tree() const { return tree_; }

    // rays[k].hint = the fixed shapes' part of the path of the primary ray
    // from origin along rays[k].direction, for count rays, worked out several
    // at a time.
    void makeHints(const Vector3& origin, HintedDirection* rays, std::int32_t count) const;

    void trace(const Ray& ray, Vector3& colourOut, int depth = 0) const;
    bool isOccluded(const Ray& ray, float maxDistance) const;

    // colours[k] = what Scene::trace gives the ray from origin along
    // rays[k].direction, whose fixed shapes' hits rays[k].hint holds, for up
    // to MAX_BATCH rays. The rays' paths are found first and their lighting
    // done together afterwards, several points in step.
    void traceBatch(const Vector3& origin, const HintedDirection* rays, std::int32_t count, Vector3* colours) const;

private:
    void addHits(const Ray& ray, const std::int32_t* indices, std::int32_t count, Hit& hit) const;
    // Where the mirror rays of primary rays leave from: the primary rays'
    // origin, and by ray the shape its primary ray met.
    struct FirstBounce {
        Vector3 eye;
        const std::int32_t* surface;
    };
    // addHits for rays[first .. first + n) into hits[first ..], several at a
    // time where vector code is built; `bounce` when they are such mirror rays.
    void addHitsMany(const RayArrays& rays, std::int32_t first, std::int32_t n, Hit* hits, Subset subset,
                     const FirstBounce* bounce = nullptr) const;
    void addListedHits(const RayArrays& rays, std::int32_t first, std::int32_t n, Hit* hits,
                       const std::int32_t* indices, std::int32_t count) const;
    // Whether the moving shapes' spheres are searched through the tree.
    bool treeForMoving() const { return useTree_ && movingSpheres_ >= TREE_THRESHOLD; }
    // What the tree leaves out of a search of the moving shapes (null: nothing).
    const std::uint8_t* fixedLeftOut() const { return fixedSpheres_ > 0 ? fixedMask_.data() : nullptr; }
    // hits[k] gains the moving shapes' hits along the primary ray k.
    void addPrimaryHits(const Vector3& origin, const HintedDirection* rays, Hit* hits, std::int32_t n,
                        Subset subset) const;
    // How a subset is searched: the shapes listed one by one, and then, when
    // `tree`, the tree's spheres less those marked in leaveOut (which may be
    // let in again for a ray the boxes cannot bound, unless `strict`).
    struct Search {
        const std::int32_t* listed;
        std::int32_t count;
        bool tree;
        const std::uint8_t* leaveOut;
        bool strict;
    };
    Search search(Subset subset) const;
    // hits[k] gains the hits of the shapes `indices` along primary ray k.
    void addPrimaryListHits(const Vector3& origin, const HintedDirection* rays, Hit* hits, std::int32_t n,
                            const std::int32_t* indices, std::int32_t count) const;
    void addPrimaryTreeHits(const Vector3& origin, const HintedDirection* rays, Hit* hits, std::int32_t n,
                            const Search& s) const;
    // hits[r] gains the tree's spheres of the search along the mirror rays r
    // of rays[first .. first + n).
    void addBounceTreeHits(const RayArrays& rays, std::int32_t first, std::int32_t n, Hit* hits, const Search& s,
                           const FirstBounce& bounce) const;
    // hits[group[k]] gains the tree's spheres of the search along rays[group[k]],
    // for m rays (at most 32) whose lines pass through or near apex.
    void addApexTreeHits(const RayArrays& rays, const std::int32_t* group, std::int32_t m, Hit* hits, const Search& s,
                         const Vector3& apex) const;
    // hit gains the tree's spheres of the search along one ray.
    void addTreeHit(const Ray& ray, Hit& hit, const Search& s) const;
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

    // Many spheres go in a tree; the shapes it does not hold are listed, all
    // of them and split into fixed and moving, each in insertion order.
    SphereTree tree_;
    bool useTree_ = false;
    std::vector<std::int32_t> others_;
    std::vector<std::int32_t> fixedOthers_;
    std::vector<std::int32_t> movingOthers_;
    std::vector<std::uint8_t> fixedMask_;   // by shape: 1 when fixed
    std::vector<std::uint8_t> movingMask_;  // by shape: 1 when not fixed
    std::int32_t movingSpheres_ = 0;        // moving shapes that the tree holds
    std::int32_t fixedSpheres_ = 0;         // and fixed ones
};
