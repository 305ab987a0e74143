#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bmpwindow/memory_canvas.h"
#include "png/png_image.h"

namespace {

TEST(PngEncode, TheSameBytesAsTheFile) {
    MemoryCanvas canvas(7, 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) canvas.setPixelRgb(x, y, static_cast<std::uint8_t>(37 * x), static_cast<std::uint8_t>(91 * y), 200);
    }
    const std::string path = ::testing::TempDir() + "png_encode.png";
    std::string error;
    ASSERT_TRUE(writePng(path, canvas.surface(), error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(path.c_str());

    std::vector<unsigned char> bytes;
    ASSERT_TRUE(encodePng(canvas.surface(), bytes, error)) << error;
    EXPECT_EQ(bytes, file);
}

TEST(PngEncode, NoPixelsIsAFailureWithAReason) {
    MemoryCanvas empty(0, 3);
    std::vector<unsigned char> bytes;
    std::string error;
    EXPECT_FALSE(encodePng(empty.surface(), bytes, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
