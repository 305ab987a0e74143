#include "render/parallel_renderer.h"

#include <algorithm>
#include <typeinfo>

#include "bmpwindow/canvas.h"
#include "render/camera.h"
#include "render/scene_renderer.h"

namespace {

// The full-width camera as a band of columns sees it: column i of a band
// width wide is column i + x0 of the whole frame.
class BandCamera final : public Camera {
public:
    BandCamera(const Camera& whole, std::int32_t x0, std::int32_t fullWidth)
        : whole_(whole), x0_(x0), fullWidth_(fullWidth) {}

    Vector3 position() const override { return whole_.position(); }
    Vector3 direction(std::int32_t i, std::int32_t j, std::int32_t, std::int32_t height) const override {
        return whole_.direction(i + x0_, j, fullWidth_, height);
    }
    void columnDirections(std::int32_t i, std::int32_t j, std::int32_t count, std::int32_t, std::int32_t height,
                          Vector3* out) const override {
        whole_.columnDirections(i + x0_, j, count, fullWidth_, height, out);
    }
    // The whole camera's key with the band's place and the frame's width: the
    // same bits give the same directions. No room for them: no key.
    Key key() const override {
        Key k = whole_.key();
        if (k.count < 0 || k.count + 2 > Key::CAPACITY) return {};
        k.values[static_cast<std::size_t>(k.count)] = static_cast<float>(x0_);
        k.values[static_cast<std::size_t>(k.count) + 1] = static_cast<float>(fullWidth_);
        // Column numbers above 2^24 do not survive as floats.
        if (x0_ > (1 << 24) || fullWidth_ > (1 << 24)) return {};
        k.count += 2;
        return k;
    }

private:
    const Camera& whole_;
    std::int32_t x0_;
    std::int32_t fullWidth_;
};

// Columns [x0, x0 + width) of a canvas, as a canvas of their own.
class BandCanvas final : public Canvas {
public:
    BandCanvas(Canvas& whole, std::int32_t x0, std::int32_t width) : whole_(whole), x0_(x0), width_(width) {}

    std::int32_t width() const override { return width_; }
    std::int32_t height() const override { return whole_.height(); }
    void setPixel(std::int32_t x, std::int32_t y, const Vector3& colour) override {
        whole_.setPixel(x + x0_, y, colour);
    }
    void plot(const Point2& p, const Vector3& colour) override {
        whole_.plot(Point2(p.x + static_cast<float>(x0_), p.y), colour);
    }
    void drawLine(const Point2& from, const Point2& to, const Vector3& colour) override {
        const auto x0 = static_cast<float>(x0_);
        whole_.drawLine(Point2(from.x + x0, from.y), Point2(to.x + x0, to.y), colour);
    }
    void drawText(const Point2& at, const std::string& text, const Vector3& colour) override {
        whole_.drawText(Point2(at.x + static_cast<float>(x0_), at.y), text, colour);
    }

private:
    Canvas& whole_;
    std::int32_t x0_;
    std::int32_t width_;
};

// Bands narrow enough that a cancelled frame ends soon (on one thread too)
// and a slow band does not hold up the others, a few per thread at least.
std::int32_t bandsFor(std::int32_t width, std::int32_t threads) {
    return std::max(1, std::min(width, std::max(4 * threads, (width + 31) / 32)));
}

}  // namespace

struct ParallelRenderer::Band {
    SceneRenderer renderer;
    const std::type_info* cameraType = nullptr;
};

ParallelRenderer::ParallelRenderer(std::int32_t threads) {
    const std::int32_t n = std::max<std::int32_t>(threads, 1);
    workers_.reserve(static_cast<std::size_t>(n));
    for (std::int32_t k = 0; k < n; ++k) workers_.emplace_back([this] { work(); });
}

ParallelRenderer::~ParallelRenderer() {
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return !running_; });
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void ParallelRenderer::render(const Scene& scene, const Camera& camera, Canvas& canvas) {
    start(scene, camera, canvas);
    wait();
}

void ParallelRenderer::start(const Scene& scene, const Camera& camera, Canvas& canvas) {
    wait();
    const std::int32_t width = canvas.width();
    const std::int32_t count = width > 0 && canvas.height() > 0 ? bandsFor(width, threads()) : 0;
    while (static_cast<std::int32_t>(bands_.size()) < count) {
        bands_.push_back(std::make_unique<Band>());
        for (const Shape* shape : moving_) bands_.back()->renderer.markMoving(shape);
    }
    // A renderer keeps directions by the camera's type and key; the bands'
    // cameras are all of one type, so a change of the real camera's type
    // must not find old tables under an equal key.
    for (std::int32_t b = 0; b < count; ++b) {
        std::unique_ptr<Band>& band = bands_[static_cast<std::size_t>(b)];
        if (band->cameraType != nullptr && *band->cameraType != typeid(camera)) {
            band = std::make_unique<Band>();
            for (const Shape* shape : moving_) band->renderer.markMoving(shape);
        }
        band->cameraType = &typeid(camera);
    }
    std::unique_lock lock(mutex_);
    scene_ = &scene;
    camera_ = &camera;
    canvas_ = &canvas;
    bandCount_ = count;
    nextBand_ = 0;
    cancelled_ = false;
    cutShort_ = false;
    busy_ = threads();
    running_ = true;
    ++generation_;
    lock.unlock();
    wake_.notify_all();
}

bool ParallelRenderer::finished() const {
    const std::lock_guard lock(mutex_);
    return !running_;
}

void ParallelRenderer::wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return !running_; });
}

void ParallelRenderer::cancel() {
    const std::lock_guard lock(mutex_);
    if (running_) cancelled_ = true;
}

void ParallelRenderer::markMoving(const Shape* shape) {
    wait();
    if (std::find(moving_.begin(), moving_.end(), shape) == moving_.end()) moving_.push_back(shape);
    for (auto& band : bands_) band->renderer.markMoving(shape);
}

void ParallelRenderer::work() {
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) return;
            seen = generation_;
        }
        renderBands();
        const std::lock_guard lock(mutex_);
        if (--busy_ == 0) {
            running_ = false;
            done_.notify_all();
        }
    }
}

void ParallelRenderer::renderBands() {
    const std::int32_t width = canvas_->width();
    for (;;) {
        const std::int32_t b = nextBand_.fetch_add(1);
        if (b >= bandCount_) return;
        if (cancelled_) {
            cutShort_ = true;
            return;
        }
        SceneRenderer& renderer = bands_[static_cast<std::size_t>(b)]->renderer;
        if (bandCount_ == 1) {
            renderer.render(*scene_, *camera_, *canvas_);
            continue;
        }
        // Band b covers columns [b·W/n, (b+1)·W/n).
        const auto x0 = static_cast<std::int32_t>(static_cast<std::int64_t>(width) * b / bandCount_);
        const auto x1 = static_cast<std::int32_t>(static_cast<std::int64_t>(width) * (b + 1) / bandCount_);
        const BandCamera camera(*camera_, x0, width);
        BandCanvas canvas(*canvas_, x0, x1 - x0);
        renderer.render(*scene_, camera, canvas);
    }
}
