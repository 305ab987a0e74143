#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "bmpwindow/memory_canvas.h"
#include "bmpwindow/pixel_surface.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;
constexpr std::uint32_t INK = 0x00ABCDEFu;

class Surface {
public:
    // One word more than the surface: it must never be written.
    Surface(int w, int h) : memory(static_cast<std::size_t>(w) * h + 1, 0), surface(memory.data(), w, h) {}
    bool guardIntact() const { return memory.back() == 0; }

    Pixels inked() const {
        Pixels p;
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x)
                if (memory[static_cast<std::size_t>(x + y * surface.width())] == INK) p.insert({x, y});
        return p;
    }

    std::vector<std::uint32_t> memory;
    PixelSurface surface;
};

// The DDA as written, for comparison on segments that stay on the surface.
Pixels reference(int x0, int y0, int x1, int y1) {
    const int dx = x1 - x0, dy = y1 - y0;
    const int ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    const int n = ax > ay ? ax : ay;
    Pixels p;
    for (int i = 0; i < n; ++i) p.insert({x0 + dx * i / n, y0 + dy * i / n});
    return p;
}

TEST(PixelSurface, StoresOnlyInsideTheSurface) {
    Surface s(400, 400);
    s.surface.setPixel(399, 399, INK);
    for (auto [x, y] : {std::pair{400, 0}, {0, 400}, {-1, 5}, {5, -1}}) s.surface.setPixel(x, y, INK);
    EXPECT_EQ(s.inked(), (Pixels{{399, 399}}));
    EXPECT_EQ(s.memory[400 * 400 - 1], INK);
    EXPECT_TRUE(s.guardIntact());
}

TEST(PixelSurface, LineStoresStartNotEnd) {
    Surface s(10, 10);
    s.surface.drawLine(0, 0, 3, 0, INK);
    EXPECT_EQ(s.inked(), (Pixels{{0, 0}, {1, 0}, {2, 0}}));

    Surface same(10, 10);
    same.surface.drawLine(4, 4, 4, 4, INK);
    EXPECT_TRUE(same.inked().empty());
}

TEST(PixelSurface, LineMinorAxisLagsTowardTheStart) {
    Surface a(10, 10);
    a.surface.drawLine(0, 0, 2, 5, INK);
    EXPECT_EQ(a.inked(), (Pixels{{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}}));

    Surface b(10, 10);
    b.surface.drawLine(5, 5, 0, 3, INK);
    EXPECT_EQ(b.inked(), (Pixels{{5, 5}, {4, 5}, {3, 5}, {2, 4}, {1, 4}}));
}

TEST(PixelSurface, LinesMatchTheDdaEverywhereOnTheSurface) {
    const int ends[][4] = {{0, 0, 19, 7}, {19, 19, 0, 0}, {3, 17, 12, 2}, {0, 19, 19, 0}, {7, 7, 7, 0}};
    for (const auto& e : ends) {
        Surface s(20, 20);
        s.surface.drawLine(e[0], e[1], e[2], e[3], INK);
        EXPECT_EQ(s.inked(), reference(e[0], e[1], e[2], e[3])) << e[0] << "," << e[1] << "->" << e[2] << "," << e[3];
    }
}

TEST(PixelSurface, LinesLeavingTheSurfaceKeepTheirOnSurfacePixels) {
    // Off-surface ends: the pixels stored are the DDA's that land on the surface.
    const int ends[][4] = {{-30, 5, 50, 12}, {25, -40, 2, 60}, {-5, -5, 100, 100}, {40, 3, -40, 9}};
    for (const auto& e : ends) {
        Surface s(20, 20);
        s.surface.drawLine(e[0], e[1], e[2], e[3], INK);
        Pixels expected;
        for (const auto& p : reference(e[0], e[1], e[2], e[3]))
            if (p.first >= 0 && p.first < 20 && p.second >= 0 && p.second < 20) expected.insert(p);
        EXPECT_EQ(s.inked(), expected) << e[0] << "," << e[1] << "->" << e[2] << "," << e[3];
    }
}

TEST(PixelSurface, ExtremeLinesStayInsideAndFinish) {
    constexpr int lo = std::numeric_limits<int>::min();
    constexpr int hi = std::numeric_limits<int>::max();
    Surface s(20, 20);
    s.surface.drawLine(lo, lo, hi, hi, INK);
    s.surface.drawLine(hi, 5, lo, 5, INK);
    s.surface.drawLine(10, lo, 10, hi, INK);
    EXPECT_TRUE(s.guardIntact());
    const Pixels p = s.inked();
    EXPECT_EQ(p.count({0, 5}) + p.count({19, 5}), 2u);
    EXPECT_EQ(p.count({10, 0}) + p.count({10, 19}), 2u);
}

TEST(PixelSurface, FillRectStopsShortOfTheLastColumnAndRow) {
    MemoryCanvas canvas(400, 400);
    canvas.fillRect(Point2(0, 0), 400, 400, {1, 1, 1});
    EXPECT_EQ(canvas.pixel(398, 398), 0x00FFFFFFu);
    EXPECT_EQ(canvas.pixel(399, 0), 0u);
    EXPECT_EQ(canvas.pixel(0, 399), 0u);
}

TEST(PixelSurface, FillRectClampsNegativeCorners) {
    Surface s(400, 400);
    s.surface.fillRect(Point2(-10.5f, 0), 400, 10, Vector3(0xEF / 255.0f, 0xCD / 255.0f, 0xAB / 255.0f));
    const Pixels p = s.inked();
    EXPECT_EQ(p.size(), 390u * 10u);
    EXPECT_TRUE(p.count({389, 9}));
    EXPECT_FALSE(p.count({390, 0}));
}

TEST(PixelSurface, FillRectSmallAndEmptyCases) {
    const Vector3 ink(0xEF / 255.0f, 0xCD / 255.0f, 0xAB / 255.0f);
    Surface s(400, 400);
    s.surface.fillRect(Point2(399, 0), 1, 50, ink);
    s.surface.fillRect(Point2(10, 10), 0, 50, ink);
    s.surface.fillRect(Point2(10, 10), 5, -3, ink);
    s.surface.fillRect(Point2(-5, 10), 5, 5, ink);
    EXPECT_TRUE(s.inked().empty());
    s.surface.fillRect(Point2(0.9f, 0.9f), 2, 2, ink);
    EXPECT_EQ(s.inked(), (Pixels{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
}

TEST(PixelSurface, FillRectWithExtremeArgumentsStaysInside) {
    const Vector3 ink(0xEF / 255.0f, 0xCD / 255.0f, 0xAB / 255.0f);
    constexpr int hi = std::numeric_limits<int>::max();
    constexpr int lo = std::numeric_limits<int>::min();
    Surface s(20, 20);
    s.surface.fillRect(Point2(std::numeric_limits<float>::quiet_NaN(), 0), 5, 5, ink);
    s.surface.fillRect(Point2(0, 1e30f), 5, 5, ink);
    s.surface.fillRect(Point2(-5, 0), lo, 5, ink);
    EXPECT_TRUE(s.inked().empty());
    s.surface.fillRect(Point2(-2e9f, -2e9f), hi, hi, ink);
    EXPECT_EQ(s.inked().size(), 19u * 19u);
    EXPECT_TRUE(s.guardIntact());
}

TEST(PixelSurface, FillCoversEveryPixel) {
    Surface s(7, 3);
    s.surface.fill(INK);
    EXPECT_EQ(s.inked().size(), 21u);
    MemoryCanvas canvas(7, 3);
    canvas.setPixel(2, 2, {1, 1, 1});
    canvas.clear();
    EXPECT_EQ(canvas.pixel(2, 2), 0u);
}

TEST(SurfaceCanvas, PlotTruncatesTowardZeroAndIgnoresTheRest) {
    MemoryCanvas canvas(400, 400);
    canvas.plot(Point2(-0.5f, 10), {1, 1, 1});
    EXPECT_EQ(canvas.pixel(0, 10), 0x00FFFFFFu);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Point2& p : {Point2(400, 10), Point2(-1, 0), Point2(nan, 3), Point2(3, 1e20f), Point2(-3e9f, 3)})
        canvas.plot(p, {0.5f, 0.5f, 0.5f});
    canvas.setPixel(-1, 0, {0.5f, 0.5f, 0.5f});
    int touched = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) touched += canvas.pixel(x, y) != 0;
    EXPECT_EQ(touched, 1);
}

TEST(SurfaceCanvas, DrawLineWithUnconvertibleEndsDrawsNothing) {
    MemoryCanvas canvas(20, 20);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    canvas.drawLine(Point2(nan, 5), Point2(10, 5), {1, 1, 1});
    canvas.drawLine(Point2(1, 5), Point2(1e20f, 5), {1, 1, 1});
    canvas.drawLine(Point2(1.9f, 5.9f), Point2(4, 5), {1, 1, 1});  // truncated to (1, 5)-(4, 5)
    int touched = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) touched += canvas.pixel(x, y) != 0;
    EXPECT_EQ(touched, 3);
    EXPECT_EQ(canvas.pixel(1, 5), 0x00FFFFFFu);
}

}  // namespace
