#include <gtest/gtest.h>

#include <webp/demux.h>

#include <vector>

#include "animation/webp_animation.h"
#include "bmpwindow/memory_canvas.h"

namespace {

// Frames that differ in a patch only, so that the encoder sends sub-frames
// and blends them: decoded, each must still be exactly what was drawn.
std::vector<std::uint32_t> drawFrame(MemoryCanvas& canvas, int k) {
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const bool patch = x >= 8 + k && x < 20 + k && y >= 5 && y < 15;
            canvas.setPixelRgb(x, y, static_cast<std::uint8_t>(x * 7), patch ? static_cast<std::uint8_t>(40 * k) : 90,
                               static_cast<std::uint8_t>(y * 11));
        }
    }
    std::vector<std::uint32_t> words;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) words.push_back(canvas.pixel(x, y));
    }
    return words;
}

TEST(WebpAnimation, LosslessFramesAtTheirTimesLoopingForEver) {
    const int width = 33, height = 21, frames = 5;
    const double fps = 15.0;
    WebpAnimation animation(width, height, fps);
    MemoryCanvas canvas(width, height);
    std::vector<std::vector<std::uint32_t>> drawn;
    std::string error;
    for (int k = 0; k < frames; ++k) {
        drawn.push_back(drawFrame(canvas, k));
        ASSERT_TRUE(animation.add(canvas.surface(), error)) << error;
    }
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(animation.finish(bytes, error)) << error;

    const WebPData data{bytes.data(), bytes.size()};
    WebPAnimDecoderOptions options;
    ASSERT_TRUE(WebPAnimDecoderOptionsInit(&options));
    options.color_mode = MODE_BGRA;  // little-endian words 0xAARRGGBB
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    ASSERT_NE(decoder, nullptr);
    WebPAnimInfo info;
    ASSERT_TRUE(WebPAnimDecoderGetInfo(decoder, &info));
    EXPECT_EQ(info.frame_count, static_cast<std::uint32_t>(frames));
    EXPECT_EQ(info.loop_count, 0u);
    // Frame k ends where frame k + 1 starts, at round((k + 1) * 1000 / 15) ms.
    const int ends[] = {67, 133, 200, 267, 333};
    for (int k = 0; k < frames; ++k) {
        std::uint8_t* rgba = nullptr;
        int timestamp = 0;
        ASSERT_TRUE(WebPAnimDecoderGetNext(decoder, &rgba, &timestamp));
        EXPECT_EQ(timestamp, ends[k]) << k;
        int differing = 0;
        for (std::size_t i = 0; i < drawn[k].size(); ++i) {
            const std::uint32_t word = static_cast<std::uint32_t>(rgba[4 * i]) |
                                       static_cast<std::uint32_t>(rgba[4 * i + 1]) << 8 |
                                       static_cast<std::uint32_t>(rgba[4 * i + 2]) << 16;
            differing += word != drawn[k][i];
        }
        EXPECT_EQ(differing, 0) << "frame " << k;
    }
    WebPAnimDecoderDelete(decoder);
}

}  // namespace
