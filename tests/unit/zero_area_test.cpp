#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "bmpwindow/memory_canvas.h"
#include "bmpwindow/pixel_surface.h"
#include "test_doubles.h"

// Surfaces without pixels but with a side near the int32 limit: every call
// must return at once. A call that walked the long side would take seconds
// to minutes and run into the test's time limit.

namespace {

constexpr std::int32_t MAX = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t MIN = std::numeric_limits<std::int32_t>::min();
constexpr std::uint32_t GUARD = 0xC0FFEE11u;
const Vector3 WHITE(1, 1, 1);

// Guard words where the pixels would be: a surface of no area starts in
// their middle, so any store lands on one.
struct Guarded {
    std::vector<std::uint32_t> words = std::vector<std::uint32_t>(64, GUARD);
    std::uint32_t* middle() { return words.data() + 32; }
    bool intact() const {
        return std::all_of(words.begin(), words.end(), [](std::uint32_t w) { return w == GUARD; });
    }
};

class GuardedCanvas final : public SurfaceCanvas {
public:
    GuardedCanvas(std::int32_t w, std::int32_t h) : SurfaceCanvas(nullptr), surface_(memory.middle(), w, h) {
        setSurface(&surface_);
    }
    void drawText(const Point2&, const std::string&, const Vector3&) override {}
    Guarded memory;

private:
    PixelSurface surface_;
};

// Every drawing call of a canvas, with the long side's far end.
void drawEverything(Canvas& canvas) {
    canvas.beginFrame();
    canvas.drawLine(Point2(0, 0), Point2(2147483520.0f, 0), WHITE);
    canvas.drawLine(Point2(0, 0), Point2(0, 2147483520.0f), WHITE);
    canvas.drawLine(Point2(-2147483520.0f, -2147483520.0f), Point2(2147483520.0f, 2147483520.0f), WHITE);
    canvas.drawClippedLine(Point2(0, 0), Point2(2147483520.0f, 5), WHITE);
    canvas.fillRect(Point2(0, 0), MAX, 10, WHITE);
    canvas.fillRect(Point2(0, 0), 10, MAX, WHITE);
    canvas.fillRect(Point2(-2147483520.0f, -2147483520.0f), MAX, MAX, WHITE);
    canvas.Canvas::fillRect(Point2(0, 0), MAX, 10, WHITE);
    canvas.Canvas::fillRect(Point2(0, 0), 10, MAX, WHITE);
    canvas.setPixel(0, 0, WHITE);
    canvas.setPixelRgb(0, 0, 255, 255, 255);
    canvas.plot(Point2(0, 0), WHITE);
    canvas.clear();
    canvas.endFrame();
}

const std::pair<std::int32_t, std::int32_t> noArea[] = {{MAX, 0}, {0, MAX}, {0, 0}, {MAX, -1}, {MIN, MAX}, {-3, 5}};

TEST(ZeroArea, CanvasesWithoutPixelsStoreNothing) {
    for (const auto& [w, h] : noArea) {
        GuardedCanvas canvas(w, h);
        drawEverything(canvas);
        EXPECT_TRUE(canvas.memory.intact()) << w << " x " << h;

        MemoryCanvas memory(w, h);
        drawEverything(memory);
    }
}

TEST(ZeroArea, TheDefaultFillRectVisitsNoColumn) {
    for (const auto& [w, h] : noArea) {
        RecordingCanvas canvas(w, h);
        canvas.fillRect(Point2(0, 0), MAX, 10, WHITE);
        canvas.fillRect(Point2(-1e9f, -1e9f), MAX, MAX, WHITE);
        EXPECT_TRUE(canvas.lines.empty()) << w << " x " << h;
    }
}

TEST(ZeroArea, RawSurfacesOverNoMemoryStoreNothing) {
    for (const auto& [w, h] : noArea) {
        PixelSurface none(nullptr, w, h);
        none.drawLine(0, 0, 2147483520, 0, GUARD);
        none.drawLine(0, 0, 0, 2147483520, GUARD);
        none.drawLine(MIN, MIN, MAX, MAX, GUARD);
        none.setPixel(0, 0, GUARD);
        none.fill(0);
        none.fillRect(Point2(0, 0), MAX, MAX, WHITE);
        EXPECT_TRUE(none.empty());

        Guarded memory;
        PixelSurface guarded(memory.middle(), w, h);
        guarded.drawLine(0, 0, 2147483520, 0, 1);
        guarded.drawLine(MAX, MAX, MIN, MIN, 1);
        guarded.setPixel(0, 0, 1);
        guarded.fill(1);
        guarded.fillRect(Point2(-5, -5), MAX, MAX, WHITE);
        EXPECT_TRUE(memory.intact()) << w << " x " << h;
    }
}

// One row of pixels: the work is that row, and the guard past it stays.
TEST(ZeroArea, ALongThinSurfaceKeepsToItsPixels) {
    std::vector<std::uint32_t> words(8 + 1, GUARD);
    PixelSurface row(words.data(), 8, 1);
    row.drawLine(MIN, 0, MAX, 0, 7);
    row.fill(9);
    row.drawLine(0, MIN, 0, MAX, 7);
    EXPECT_EQ(words[8], GUARD);
    EXPECT_EQ(words[0], 7u);
    EXPECT_EQ(words[1], 9u);
}

}  // namespace
