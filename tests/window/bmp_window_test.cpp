#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "bmpwindow/bmp_window.h"
#include "bmpwindow/window_platform.h"
#include "window_fixture.h"
#include "window_pixels.h"

namespace {

TEST_F(WindowTest, SizesOfWindowAndSurface) {
    BmpWindow window(30, 30, 400, 400, nullptr);
    ASSERT_EQ(window.failure(), "");
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_EQ(window.width(), 400);
    EXPECT_EQ(window.height(), 400);
    EXPECT_EQ(window.surface().width(), 400);
    EXPECT_EQ(window.surface().height(), 400);
    EXPECT_EQ(window.outerWidth(), 407);
    EXPECT_EQ(window.outerHeight(), 425);
    EXPECT_EQ(window.pixelCursor(), nullptr);
    EXPECT_NE(window.surface().bitmap(), nullptr);
}

TEST_F(WindowTest, CountsLiveWindowsAndRegistersOnce) {
    const int before = BmpWindow::instanceCount();
    auto first = std::make_unique<BmpWindow>(0, 0, 50, 40, nullptr);
    EXPECT_EQ(BmpWindow::instanceCount(), before + 1);
    const int registrations = windowClassRegistrations();
    EXPECT_EQ(registrations, 1);
    {
        BmpWindow second(10, 10, 20, 20, nullptr);
        EXPECT_EQ(BmpWindow::instanceCount(), before + 2);
    }
    EXPECT_EQ(BmpWindow::instanceCount(), before + 1);
    first.reset();
    EXPECT_EQ(BmpWindow::instanceCount(), before);
    EXPECT_EQ(windowClassRegistrations(), 1);
}

TEST_F(WindowTest, PixelsLandWhereTheyShouldAndNowhereElse) {
    BmpWindow window(0, 0, 400, 400, nullptr);
    window.clear();
    window.plot(Point2(-0.5f, 10), {1, 1, 1});
    window.setPixel(399, 399, {0.2f, 0.2f, 0.2f});
    window.setPixelRgb(5, 6, 255, 0, 0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Point2& p : {Point2(400.0f, 10), Point2(10, 400.0f), Point2(nan, 1), Point2(1, 3e9f)})
        window.plot(p, {1, 1, 1});
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {400, 0}, {0, 400}}) window.setPixel(x, y, {1, 1, 1});

    const auto pixels = snapshot(window);
    EXPECT_EQ(pixels[10 * 400], 0x00FFFFFFu);
    EXPECT_EQ(pixels.back(), 0x00333333u);
    EXPECT_EQ(pixels[5 + 6 * 400], 0x000000FFu);
    int touched = 0;
    for (std::uint32_t p : pixels) touched += p != 0;
    EXPECT_EQ(touched, 3);
}

TEST_F(WindowTest, FrameBracketsChangeNoPixelAndClearBlackens) {
    BmpWindow window(0, 0, 64, 48, nullptr);
    paintPattern(window);
    const auto before = snapshot(window);
    window.beginFrame();
    EXPECT_EQ(window.pixelCursor(), window.surface().pixels());
    window.endFrame();
    window.endFrame();
    EXPECT_EQ(snapshot(window), before);

    window.skipToNextRow(10);
    EXPECT_EQ(window.pixelCursor(), window.surface().pixels() + 54);

    window.clear();
    for (std::uint32_t p : snapshot(window)) ASSERT_EQ(p, 0u);
}

TEST_F(WindowTest, LinesAndRectanglesFollowTheSurfaceRules) {
    BmpWindow window(0, 0, 400, 400, nullptr);
    window.clear();
    window.drawLine(Point2(0, 0), Point2(2, 5), {1, 1, 1});
    auto pixels = snapshot(window);
    for (auto [x, y] : {std::pair{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}}) EXPECT_EQ(pixels[x + y * 400], 0x00FFFFFFu);
    EXPECT_EQ(pixels[2 + 5 * 400], 0u);

    window.clear();
    window.fillRect(Point2(0, 0), 400, 400, {1, 1, 1});
    pixels = snapshot(window);
    EXPECT_EQ(pixels[398 + 398 * 400], 0x00FFFFFFu);
    EXPECT_EQ(pixels[399 + 10 * 400], 0u);
    EXPECT_EQ(pixels[10 + 399 * 400], 0u);

    window.clear();
    window.drawClippedLine(Point2(-50, 200), Point2(200, 200), {1, 1, 1});
    pixels = snapshot(window);
    EXPECT_EQ(pixels[0 + 200 * 400], 0x00FFFFFFu);
    EXPECT_EQ(pixels[199 + 200 * 400], 0x00FFFFFFu);
    EXPECT_EQ(pixels[200 + 200 * 400], 0u);
}

TEST_F(WindowTest, UnusableCoordinatesStoreNothing) {
    BmpWindow window(0, 0, 40, 30, nullptr);
    window.clear();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    constexpr int big = std::numeric_limits<int>::max();
    window.drawLine(Point2(nan, 1), Point2(5, 5), {1, 1, 1});
    window.drawLine(Point2(-inf, 1), Point2(5, 5), {1, 1, 1});
    window.drawLine(Point2(3e9f, 1), Point2(5, 5), {1, 1, 1});
    window.fillRect(Point2(nan, 0), 10, 10, {1, 1, 1});
    window.fillRect(Point2(5, 5), -big - 1, 10, {1, 1, 1});
    window.drawText(Point2(nan, 0), "nothing", {1, 1, 1});
    window.drawText(Point2(1e20f, 0), "nothing", {1, 1, 1});
    window.drawText(Point2(-2147483000.0f, 5), "nothing", {1, 1, 1});
    window.drawText(Point2(5, 2147483000.0f), "nothing", {1, 1, 1});
    for (std::uint32_t p : snapshot(window)) ASSERT_EQ(p, 0u);

    // Ends far off the surface: only the DDA's own pixels on the surface.
    window.drawLine(Point2(-1e9f, 7), Point2(1e9f, 7), {1, 1, 1});
    const auto pixels = snapshot(window);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(pixels[x + 7 * 40], 0x00FFFFFFu) << x;
    int touched = 0;
    for (std::uint32_t p : pixels) touched += p != 0;
    EXPECT_EQ(touched, 40);
}

TEST_F(WindowTest, TextIsDrawnInTheColoursBytesAsRedGreenBlue) {
    BmpWindow window(0, 0, 200, 100, nullptr);
    window.clear();
    window.drawText(Point2(20, 30), "HHHH", {1, 0, 0});
    const auto pixels = snapshot(window);
    int red = 0, elsewhere = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            const std::uint32_t p = pixels[x + y * 200];
            const bool nearText = x >= 20 && x < 120 && y >= 30 && y < 60;
            if (!nearText && p != 0) ++elsewhere;
            if (nearText && p == 0x00FF0000u) ++red;
            if (p != 0) {
                EXPECT_EQ(p & 0xFF00FFFFu, 0u) << "not a shade of red at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(red, 20);
    EXPECT_EQ(elsewhere, 0);
}

TEST_F(WindowTest, TextStopsAtTheFirstNulAndEmptyTextDrawsNothing) {
    BmpWindow a(0, 0, 100, 40, nullptr);
    BmpWindow b(0, 0, 100, 40, nullptr);
    a.clear();
    b.clear();
    a.drawText(Point2(2, 2), "", {1, 1, 1});
    for (std::uint32_t p : snapshot(a)) ASSERT_EQ(p, 0u);
    a.drawText(Point2(2, 2), std::string("Hi\0there", 8), {1, 1, 1});
    b.drawText(Point2(2, 2), "Hi", {1, 1, 1});
    EXPECT_EQ(snapshot(a), snapshot(b));

    // No background: on a filled surface only the pixels that the glyphs
    // cover on a black one change.
    BmpWindow c(0, 0, 100, 40, nullptr);
    c.fillRect(Point2(0, 0), 100, 40, {0, 0, 1});
    const auto filled = snapshot(c);
    c.drawText(Point2(2, 2), "Hi", {1, 1, 1});
    const auto onFill = snapshot(c);
    const auto onBlack = snapshot(b);
    int changed = 0;
    for (std::size_t i = 0; i < onFill.size(); ++i) {
        if (onFill[i] == filled[i]) continue;
        ++changed;
        EXPECT_NE(onBlack[i], 0u) << "changed outside the glyphs at " << i % 100 << "," << i / 100;
    }
    EXPECT_GT(changed, 10);
}

}  // namespace
