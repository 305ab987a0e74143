// ParallelRenderer against the plain loop over Scene::trace: every pixel the
// same bits on any number of threads, frame after frame.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "bmpwindow/memory_canvas.h"
#include "random_scene.h"
#include "render/parallel_renderer.h"
#include "render/pinhole_camera.h"

namespace {

// "" when the two canvases hold the same bits, else how many pixels differ and where.
std::string differences(const MemoryCanvas& got, const MemoryCanvas& want) {
    int differing = 0;
    std::ostringstream where;
    for (std::int32_t x = 0; x < want.width(); ++x) {
        for (std::int32_t y = 0; y < want.height(); ++y) {
            if (got.pixel(x, y) == want.pixel(x, y)) continue;
            if (++differing <= 3) where << " (" << x << "," << y << ")";
        }
    }
    if (differing == 0) return "";
    return std::to_string(differing) + " pixels differ:" + where.str();
}

std::string compare(ParallelRenderer& renderer, const RandomScene& world) {
    MemoryCanvas parallel(world.width, world.height);
    MemoryCanvas plain(world.width, world.height);
    renderer.render(*world.scene, *world.camera, parallel);
    renderWithModel(*world.scene, *world.camera, plain);
    const std::string result = differences(parallel, plain);
    return result.empty() ? "" : result + " [" + world.story + "]";
}

// One renderer per thread count for all the scenes, so that the bands'
// kept tables meet scenes, cameras and sizes that changed under them.
TEST(ParallelRenderer, MatchesTheModelOnRandomScenesOnOneToSevenThreads) {
    for (const std::int32_t threads : {1, 2, 3, 7}) {
        ParallelRenderer renderer(threads);
        ASSERT_EQ(renderer.threads(), threads);
        int failures = 0;
        for (std::uint32_t k = 0; k < 30 && failures < 3; ++k) {
            SeededChoices choices(4000 + k + 100 * static_cast<std::uint32_t>(threads));
            RandomScene world = makeRandomScene(choices);
            if (k % 8 == 5) addCrowd(choices, world, 200);
            for (int frame = 0; frame < 4; ++frame) {
                if (frame > 0) changeRandomScene(choices, world);
                const std::string result = compare(renderer, world);
                if (!result.empty()) {
                    ++failures;
                    ADD_FAILURE() << threads << " threads, scene " << k << ", frame " << frame << ": " << result;
                    break;
                }
            }
        }
    }
}

// A camera of another type whose key holds a pinhole's bits: the image
// mirrored left to right. Tables kept for the pinhole must not serve it.
class MirroredCamera final : public Camera {
public:
    explicit MirroredCamera(const PinholeCamera& inner) : inner_(inner) {}
    Vector3 position() const override { return inner_.position(); }
    Vector3 direction(std::int32_t i, std::int32_t j, std::int32_t w, std::int32_t h) const override {
        return inner_.direction(w - 1 - i, j, w, h);
    }
    Key key() const override { return inner_.key(); }

private:
    PinholeCamera inner_;
};

TEST(ParallelRenderer, KeepsNoTablesAcrossCamerasOfDifferentTypesWithEqualKeys) {
    SeededChoices choices(17);
    RandomScene world = makeRandomScene(choices, 12);
    const PinholeCamera pinhole(Vector3(-6.0f, 0.5f, 2.0f), Vector3(0.0f, 0.0f, 0.5f), Vector3(0.0f, 0.0f, 1.0f), 55.0f);
    const MirroredCamera mirrored(pinhole);
    ParallelRenderer renderer(3);
    for (const Camera* camera : {static_cast<const Camera*>(&pinhole), static_cast<const Camera*>(&mirrored)}) {
        MemoryCanvas parallel(97, 61);
        MemoryCanvas plain(97, 61);
        for (int frame = 0; frame < 3; ++frame) renderer.render(*world.scene, *camera, parallel);
        renderWithModel(*world.scene, *camera, plain);
        EXPECT_EQ(differences(parallel, plain), "") << (camera == &pinhole ? "pinhole" : "mirrored");
    }
}

// A frame cut short leaves the renderer whole: the next one is exact, and a
// canvas narrower than the threads is covered too.
TEST(ParallelRenderer, CancelledFrameEndsAndTheNextIsExact) {
    SeededChoices choices(29);
    RandomScene world = makeRandomScene(choices, 30);
    addCrowd(choices, world, 500);
    const PinholeCamera camera(Vector3(-8.0f, 0.0f, 1.0f), Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f), 60.0f);
    ParallelRenderer renderer(2);
    MemoryCanvas canvas(640, 360);
    renderer.start(*world.scene, camera, canvas);
    renderer.cancel();
    renderer.wait();
    EXPECT_TRUE(renderer.finished());

    for (const std::int32_t width : {640, 1}) {
        MemoryCanvas parallel(width, 40);
        MemoryCanvas plain(width, 40);
        renderer.render(*world.scene, camera, parallel);
        EXPECT_FALSE(renderer.cutShort());
        renderWithModel(*world.scene, camera, plain);
        EXPECT_EQ(differences(parallel, plain), "") << "width " << width;
    }
}

}  // namespace
