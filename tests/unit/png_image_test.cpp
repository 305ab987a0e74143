#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "bmpwindow/memory_canvas.h"
#include "png/png_image.h"

namespace {

std::string scratchFile(const char* name) { return ::testing::TempDir() + name; }

bool exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) std::fclose(file);
    return file != nullptr;
}

TEST(PngImage, WhatIsWrittenReadsBackWordForWordInScreenOrder) {
    // Not square, so that a row/column mix-up shows; each channel on its own
    // and all of them together, so that a channel swap shows.
    MemoryCanvas canvas(5, 3);
    canvas.setPixelRgb(0, 0, 255, 0, 0);  // the low byte: blue on screen
    canvas.setPixelRgb(4, 0, 0, 255, 0);
    canvas.setPixelRgb(0, 2, 0, 0, 255);  // bits 16-23: red on screen
    canvas.setPixelRgb(3, 1, 12, 34, 56);
    const std::string path = scratchFile("png_round_trip.png");
    std::string error;
    ASSERT_TRUE(writePng(path, canvas.surface(), error)) << error;

    PixelImage image;
    ASSERT_TRUE(readPng(path, image, error)) << error;
    ASSERT_EQ(image.width, 5);
    ASSERT_EQ(image.height, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(image.words[static_cast<std::size_t>(x + 5 * y)], canvas.pixel(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(image.words[0], 0x000000FFu);
    EXPECT_EQ(image.words[10], 0x00FF0000u);
    EXPECT_EQ(image.words[8], 0x0038220Cu);
    std::remove(path.c_str());
}

TEST(PngImage, FailuresSayWhyAndLeaveNoFileBehind) {
    std::string error;
    MemoryCanvas empty(0, 0);
    const std::string path = scratchFile("png_empty.png");
    EXPECT_FALSE(writePng(path, empty.surface(), error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_FALSE(exists(path)) << "a half-written file was left";

    MemoryCanvas canvas(2, 2);
    error.clear();
    EXPECT_FALSE(writePng(scratchFile("no-such-folder/x.png"), canvas.surface(), error));
    EXPECT_FALSE(error.empty());

    PixelImage image;
    error.clear();
    EXPECT_FALSE(readPng(scratchFile("png_missing.png"), image, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
