#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/memory_canvas.h"
#include "png/png_image.h"

namespace {

class GoldenFrame : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { buildScene(); }
    void TearDown() override { destroyScene(); }
};

TEST_P(GoldenFrame, MatchesTheReferencePixelForPixel) {
    const std::string name = GetParam();
    PixelImage golden;
    std::string error;
    ASSERT_TRUE(readPng(std::string(GOLDEN_DIR) + "/frame-" + name + ".png", golden, error)) << error;
    ASSERT_EQ(golden.width, FRAME_SIZE);
    ASSERT_EQ(golden.height, FRAME_SIZE);

    MemoryCanvas canvas(FRAME_SIZE, FRAME_SIZE);
    renderFrameAt(canvas, std::stof(name));

    int differing = 0;
    std::ostringstream first;
    for (int y = 0; y < FRAME_SIZE; ++y) {
        for (int x = 0; x < FRAME_SIZE; ++x) {
            const std::uint32_t got = canvas.pixel(x, y);
            const std::uint32_t want = golden.words[static_cast<std::size_t>(x + y * FRAME_SIZE)];
            if (got == want) continue;
            if (++differing <= 5) {
                first << " (" << x << "," << y << ") got " << std::hex << got << " want " << want << std::dec;
            }
        }
    }
    EXPECT_EQ(differing, 0) << differing << " pixels differ at t = " << name << "; first:" << first.str();
}

INSTANTIATE_TEST_SUITE_P(Times, GoldenFrame, ::testing::Values("0", "2.5", "20"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) c = c == '.' ? '_' : c;
                             return name;
                         });

}  // namespace
