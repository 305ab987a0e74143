// ParallelRenderer: one frame on several threads, each pixel exactly what one
// SceneRenderer gives, for programs that may use every core (a viewer, a
// batch renderer); the demo keeps to one thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class Camera;
class Canvas;
class Scene;
class SceneRenderer;
class Shape;

// The frame is cut into bands of whole columns, each traced by a
// SceneRenderer of its own (which keeps its tables from frame to frame),
// on a pool of threads kept for the renderer's life. A band sees the
// full-width camera through an adapter, so every pixel gets the bits of
//
//     SceneRenderer().render(scene, camera, canvas)
//
// for every scene, camera and canvas. The canvas is written from several
// threads at once, one pixel by one thread only: setPixel must be safe for
// distinct pixels (MemoryCanvas and BmpWindow are). The scene must not
// change while a frame is under way.
class ParallelRenderer {
public:
    // threads < 1 counts as 1.
    explicit ParallelRenderer(std::int32_t threads);
    ~ParallelRenderer();
    ParallelRenderer(const ParallelRenderer&) = delete;
    ParallelRenderer& operator=(const ParallelRenderer&) = delete;

    std::int32_t threads() const { return static_cast<std::int32_t>(workers_.size()); }

    // The whole frame; returns when every pixel is written.
    void render(const Scene& scene, const Camera& camera, Canvas& canvas);

    // The same in the background, for a caller that keeps a window answering
    // meanwhile. scene, camera and canvas must outlive the frame: until
    // finished() is true or wait() returns. One frame at a time.
    void start(const Scene& scene, const Camera& camera, Canvas& canvas);
    bool finished() const;
    void wait();
    // Bands not yet begun are left out: the frame ends sooner, with those
    // columns as they were. Returns at once; wait() for the end.
    void cancel();
    // Whether the last frame was cut short by cancel().
    bool cutShort() const { return cutShort_.load(); }

    // As SceneRenderer::markMoving, for every band.
    void markMoving(const Shape* shape);

private:
    struct Band;
    void work();
    void renderBands();

    std::vector<std::unique_ptr<Band>> bands_;
    std::vector<const Shape*> moving_;
    std::vector<std::thread> workers_;

    // The frame under way.
    const Scene* scene_ = nullptr;
    const Camera* camera_ = nullptr;
    Canvas* canvas_ = nullptr;
    std::int32_t bandCount_ = 0;
    std::atomic<std::int32_t> nextBand_{0};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> cutShort_{false};

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::uint64_t generation_ = 0;
    std::int32_t busy_ = 0;  // workers still on the current frame
    bool running_ = false;
    bool stopping_ = false;
};
