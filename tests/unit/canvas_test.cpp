#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "bmpwindow/memory_canvas.h"
#include "bmpwindow/pack_colour.h"
#include "test_doubles.h"

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

TEST(PackColour, BytesFromTruncatedProducts) {
    EXPECT_EQ(packColour({1, 1, 1}), 0x00FFFFFFu);
    EXPECT_EQ(packColour({0, 0, 0}), 0u);
    EXPECT_EQ(packColour({0.2f, 0.2f, 0.2f}), 0x00333333u);
    EXPECT_EQ(packColour({0.5f, 0, 1}), 0x00FF007Fu);
}

TEST(PackColour, OutOfRangeWrapsInsteadOfClamping) {
    EXPECT_EQ(packColour({1.2f, 0, 0}), 0x00000032u);
    EXPECT_EQ(packColour({-0.5f, 0, 0}), 0x00000081u);
    EXPECT_EQ(packColour({0, 0, 2}), 0x00FE0000u);  // 510 & 0xFF
}

TEST(PackColour, UnconvertibleComponentsGiveZero) {
    EXPECT_EQ(packColour({nan, 1, 1}), 0x00FFFF00u);
    EXPECT_EQ(packColour({1, inf, 1}), 0x00FF00FFu);
    EXPECT_EQ(packColour({1, 1, -inf}), 0x0000FFFFu);
    EXPECT_EQ(packColour({1e10f, 1, 1}), 0x00FFFF00u);
    // Just inside 32 bits still wraps: trunc(255·8421504.5) = 2147483647.
    EXPECT_EQ(colourByte(8421504.0f), static_cast<std::uint32_t>(2147483520) & 0xFF);
}

TEST(CanvasDefaults, SetPixelRgbRoundTripsEveryByte) {
    MemoryCanvas canvas(256, 3);
    for (int b = 0; b < 256; ++b) {
        canvas.setPixelRgb(b, 0, static_cast<std::uint8_t>(b), 0, 0);
        canvas.setPixelRgb(b, 1, 0, static_cast<std::uint8_t>(b), 0);
        canvas.setPixelRgb(b, 2, 0, 0, static_cast<std::uint8_t>(b));
    }
    for (std::uint32_t b = 0; b < 256; ++b) {
        ASSERT_EQ(canvas.pixel(static_cast<int>(b), 0), b);
        ASSERT_EQ(canvas.pixel(static_cast<int>(b), 1), b << 8);
        ASSERT_EQ(canvas.pixel(static_cast<int>(b), 2), b << 16);
    }
    canvas.setPixelRgb(7, 1, 255, 0, 0);
    EXPECT_EQ(canvas.pixel(7, 1), 0x000000FFu);  // shows as pure blue
}

TEST(CanvasDefaults, SetPixelAndRgbReachPlot) {
    RecordingCanvas canvas;
    canvas.setPixel(3, 4, {0.5f, 0, 0});
    canvas.Canvas::setPixelRgb(-2, 7, 255, 0, 0);
    ASSERT_EQ(canvas.plots.size(), 2u);
    EXPECT_EQ(canvas.plots[0].at.x, 3.0f);
    EXPECT_EQ(canvas.plots[0].at.y, 4.0f);
    EXPECT_EQ(canvas.plots[1].at.x, -2.0f);
    EXPECT_EQ(canvas.plots[1].colour.x, 1.0f);
}

std::vector<float> columns(const RecordingCanvas& canvas) {
    std::vector<float> xs;
    for (const auto& line : canvas.lines) xs.push_back(line.from.x);
    return xs;
}

TEST(CanvasDefaults, FillRectDrawsClippedColumns) {
    RecordingCanvas canvas;
    canvas.fillRect(Point2(2.7f, 5), 3, 10, {1, 1, 1});
    EXPECT_EQ(columns(canvas), (std::vector<float>{2, 3, 4}));
    EXPECT_EQ(canvas.lines[0].from.y, 5.0f);
    EXPECT_EQ(canvas.lines[0].to.y, 15.0f);

    RecordingCanvas left;
    left.fillRect(Point2(-2.5f, 5), 4, 10, {1, 1, 1});
    left.fillRect(Point2(50, 5), 0, 10, {1, 1, 1});
    left.fillRect(Point2(0, 0), 3, 3, {1, 1, 1});  // column 0 is always clipped away
    EXPECT_EQ(columns(left), (std::vector<float>{1, 2}));
}

TEST(CanvasDefaults, FillRectWithUnusableArgumentsDrawsNothing) {
    RecordingCanvas canvas;
    canvas.fillRect(Point2(nan, 5), 3, 10, {1, 1, 1});
    canvas.fillRect(Point2(5, nan), 3, 10, {1, 1, 1});
    canvas.fillRect(Point2(-inf, 5), 3, 10, {1, 1, 1});
    canvas.fillRect(Point2(5, 5), std::numeric_limits<std::int32_t>::min(), 10, {1, 1, 1});
    EXPECT_TRUE(canvas.lines.empty());

    // A huge width visits only the canvas's own columns.
    canvas.fillRect(Point2(-1e9f, 5), std::numeric_limits<std::int32_t>::max(), 2, {1, 1, 1});
    EXPECT_EQ(canvas.lines.size(), 398u);
}

TEST(CanvasDefaults, FrameBracketsAndClearChangeNothing) {
    class Minimal final : public Canvas {
    public:
        std::int32_t width() const override { return 4; }
        std::int32_t height() const override { return 4; }
        void plot(const Point2&, const Vector3&) override { ++calls; }
        void drawLine(const Point2&, const Point2&, const Vector3&) override { ++calls; }
        void drawText(const Point2&, const std::string&, const Vector3&) override { ++calls; }
        int calls = 0;
    } canvas;
    canvas.beginFrame();
    canvas.clear();
    canvas.endFrame();
    EXPECT_EQ(canvas.calls, 0);
}

}  // namespace
