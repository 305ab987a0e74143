// SceneRenderer against the plain loop over Scene::trace, on scenes, cameras
// and canvas sizes made from the input: each byte string is a scene and a
// few frames with changes between them (now and then with a crowd of
// spheres), and every pixel of every frame must
// be the model's. One renderer serves every input, so what it kept from the
// last scene meets the next.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "bmpwindow/memory_canvas.h"
#include "random_scene.h"
#include "render/scene_renderer.h"

namespace {

// The input's bytes as choices; once they run out every choice is 0.
class ByteChoices final : public Choices {
public:
    explicit ByteChoices(FuzzedDataProvider& bytes) : bytes_(bytes) {}
    std::uint32_t below(std::uint32_t n) override { return bytes_.ConsumeIntegralInRange<std::uint32_t>(0, n - 1); }
    float between(float low, float high) override {
        return low + (high - low) * bytes_.ConsumeProbability<float>();
    }

private:
    FuzzedDataProvider& bytes_;
};

void compareFrame(SceneRenderer& renderer, const RandomScene& world, int frame) {
    MemoryCanvas fast(world.width, world.height);
    MemoryCanvas plain(world.width, world.height);
    renderer.render(*world.scene, *world.camera, fast);
    renderWithModel(*world.scene, *world.camera, plain);
    for (std::int32_t x = 0; x < world.width; ++x) {
        for (std::int32_t y = 0; y < world.height; ++y) {
            if (fast.pixel(x, y) == plain.pixel(x, y)) continue;
            std::fprintf(stderr, "render_fuzzer: frame %d, pixel (%d, %d): %08x, the model %08x [%s]\n", frame, x, y,
                         fast.pixel(x, y), plain.pixel(x, y), world.story.c_str());
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SceneRenderer renderer;
    FuzzedDataProvider bytes(data, size);
    ByteChoices choices(bytes);
    RandomScene world = makeRandomScene(choices);
    // Now and then enough spheres that the renderer searches them through its tree.
    if (choices.chance(20)) addCrowd(choices, world, 128 + static_cast<std::int32_t>(choices.below(300)));
    const int frames = 1 + static_cast<int>(choices.below(4));
    for (int frame = 0; frame < frames; ++frame) {
        if (frame > 0) changeRandomScene(choices, world);
        compareFrame(renderer, world, frame);
    }
    return 0;
}
