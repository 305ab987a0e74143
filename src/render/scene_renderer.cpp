#include "render/scene_renderer.h"

#include <algorithm>
#include <vector>

#include "bmpwindow/canvas.h"
#include "render/camera.h"
#include "render/fast/frame_tracer.h"
#include "render/fast/primary_paths.h"

struct SceneRenderer::Tables {
    FrameTracer tracer;
    PrimaryPaths paths;
    std::vector<const Shape*> moving;
};

namespace {

void writeColumn(Canvas& canvas, std::int32_t i, std::int32_t j0, std::int32_t n, Vector3* colours) {
    for (std::int32_t k = 0; k < n; ++k) {
        Vector3& c = colours[k];
        c.clampToOne();
        canvas.setPixel(i, j0 + k, Vector3(c.z, c.y, c.x));
    }
}

}  // namespace

SceneRenderer::SceneRenderer() : tables_(std::make_unique<Tables>()) {}
SceneRenderer::~SceneRenderer() = default;

void SceneRenderer::markMoving(const Shape* shape) {
    auto& moving = tables_->moving;
    if (std::find(moving.begin(), moving.end(), shape) == moving.end()) moving.push_back(shape);
}

void SceneRenderer::render(const Scene& scene, const Camera& camera, Canvas& canvas) {
    const std::int32_t width = canvas.width();
    const std::int32_t height = canvas.height();
    if (width <= 0 || height <= 0) return;
    FrameTracer& tracer = tables_->tracer;
    tracer.load(scene);
    const Vector3 origin = camera.position();
    constexpr std::int32_t BATCH = FrameTracer::MAX_BATCH;
    Vector3 colours[BATCH];

    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    PrimaryPaths& paths = tables_->paths;
    if (pixels <= PrimaryPaths::MAX_TABLE_PIXELS &&
        paths.prepare(tracer, camera, origin, width, height, tables_->moving)) {
        for (std::int32_t i = 0; i < width; ++i) {
            if (i + 1 < width) paths.prefetchColumn(i + 1);
            const HintedDirection* column = paths.column(i);
            for (std::int32_t j0 = 0; j0 < height; j0 += BATCH) {
                const std::int32_t n = std::min(BATCH, height - j0);
                tracer.traceBatch(origin, column + j0, n, colours);
                writeColumn(canvas, i, j0, n, colours);
            }
        }
        return;
    }
    // Each batch's directions made as it goes, and every shape searched.
    HintedDirection rays[BATCH];
    Vector3 directions[BATCH];
    for (std::int32_t i = 0; i < width; ++i) {
        for (std::int32_t j0 = 0; j0 < height; j0 += BATCH) {
            const std::int32_t n = std::min(BATCH, height - j0);
            camera.columnDirections(i, j0, n, width, height, directions);
            for (std::int32_t k = 0; k < n; ++k) rays[k] = {directions[k], {Hit::none(), Hit::none()}};
            tracer.traceBatch(origin, rays, n, colours);
            writeColumn(canvas, i, j0, n, colours);
        }
    }
}
