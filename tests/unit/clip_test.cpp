#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "bmpwindow/clip_edge.h"
#include "bmpwindow/memory_canvas.h"
#include "test_doubles.h"

namespace {

std::uint32_t bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

RecordingCanvas::Line clipped(Point2 from, Point2 to, bool& drawn) {
    RecordingCanvas canvas;
    canvas.drawClippedLine(from, to, {1, 1, 1});
    drawn = !canvas.lines.empty();
    EXPECT_LE(canvas.lines.size(), 1u);
    return drawn ? canvas.lines[0] : RecordingCanvas::Line{};
}

TEST(ClipEdge, ConstantsAreTheSinglePrecisionOnes) {
    EXPECT_EQ(bits(-0.1f), 0xBDCCCCCDu);
    EXPECT_EQ(bits(1.1f), 0x3F8CCCCDu);
    EXPECT_EQ(bits(static_cast<float>(400.0 - 1.1f)), 0x43C77333u);
}

TEST(ClipEdge, PointsOnTheLineAreOutside) {
    const ClipEdge left(Point2(-1, 0), -0.1f);
    EXPECT_TRUE(left.isOutside(Point2(0.1f, 7)));
    EXPECT_FALSE(left.isOutside(Point2(0.11f, 7)));
    EXPECT_EQ(left.crossing(Point2(0, 0), Point2(0, 5)), -1.0f);  // no movement across: d = 0
}

TEST(ClipLine, InsideSegmentsPassUnchanged) {
    bool drawn = false;
    auto line = clipped({10, 10}, {20, 30}, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(line.from.x, 10.0f);
    EXPECT_EQ(line.to.y, 30.0f);

    // In the open rectangle (0, W - 1) x (0, H - 1), though outside the clip one.
    line = clipped({10, 0.05f}, {20, 0.05f}, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(line.from.y, 0.05f);
    line = clipped({398.95f, 10}, {398.95f, 20}, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(line.to.x, 398.95f);
}

TEST(ClipLine, CrossingSegmentsAreCutAtTheEdges) {
    bool drawn = false;
    auto line = clipped({-50, 200}, {200, 200}, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_NEAR(line.from.x, 0.1f, 1e-5f);
    EXPECT_EQ(line.from.y, 200.0f);
    EXPECT_EQ(line.to.x, 200.0f);

    line = clipped({200, -100}, {200, 1000}, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_NEAR(line.from.y, 0.1f, 1e-4f);
    EXPECT_NEAR(line.to.y, 398.9f, 1e-3f);
    EXPECT_EQ(line.from.x, 200.0f);
}

TEST(ClipLine, SegmentsWhollyOutsideOrOnTheBorderAreDropped) {
    bool drawn = true;
    const Point2 dropped[][2] = {{{-10, 5}, {-3, 50}},   {{500, 500}, {600, 600}}, {{10, 0}, {20, 0}},
                                 {{0, 10}, {0, 300}},    {{10, 399}, {300, 399}},  {{399, 10}, {399, 20}}};
    for (const auto& s : dropped) {
        clipped(s[0], s[1], drawn);
        EXPECT_FALSE(drawn) << s[0].x << "," << s[0].y;
    }
}

TEST(ClipLine, NonFiniteSegmentsAreDropped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    bool drawn = true;
    clipped({nan, 5}, {20, 30}, drawn);
    EXPECT_FALSE(drawn);
    clipped({10, 10}, {20, -inf}, drawn);
    EXPECT_FALSE(drawn);
}

TEST(ClipLine, OnASurfaceOnlyValidPixelsAreStored) {
    MemoryCanvas canvas(400, 400);
    canvas.drawClippedLine({-50, 200}, {200, 200}, {1, 1, 1});
    EXPECT_EQ(canvas.pixel(0, 200), 0x00FFFFFFu);
    EXPECT_EQ(canvas.pixel(199, 200), 0x00FFFFFFu);
    EXPECT_EQ(canvas.pixel(200, 200), 0u);

    canvas.drawClippedLine({1, 0}, {1, 10}, {1, 1, 1});
    for (int y = 0; y < 10; ++y) EXPECT_EQ(canvas.pixel(1, y), 0x00FFFFFFu) << y;
    EXPECT_EQ(canvas.pixel(1, 10), 0u);

    canvas.drawClippedLine({300, -100}, {300, 1000}, {1, 1, 1});
    EXPECT_EQ(canvas.pixel(300, 0), 0x00FFFFFFu);
    EXPECT_EQ(canvas.pixel(300, 397), 0x00FFFFFFu);
    EXPECT_EQ(canvas.pixel(300, 398), 0u);
}

}  // namespace
