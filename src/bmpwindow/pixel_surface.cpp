#include "bmpwindow/pixel_surface.h"

#include <algorithm>

#include "bmpwindow/pack_colour.h"
#include "bmpwindow/truncate.h"

namespace {

// trunc(d·i / n) for |d| <= n, 0 <= i < n < 2^32: the magnitude of d·i fits in 64 unsigned bits.
std::int64_t truncatedOffset(std::int64_t d, std::int64_t i, std::int64_t n) {
    const auto magnitude = static_cast<std::uint64_t>(d < 0 ? -d : d) * static_cast<std::uint64_t>(i) /
                           static_cast<std::uint64_t>(n);
    return d < 0 ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
}

// The steps i in [0, n) at which start + sign·i lies in [0, size).
void stepsOnSurface(std::int64_t start, bool forward, std::int64_t size, std::int64_t n, std::int64_t& first,
                    std::int64_t& last) {
    if (forward) {
        first = std::max<std::int64_t>(0, -start);
        last = std::min(n, size - start);
    } else {
        first = std::max<std::int64_t>(0, start - size + 1);
        last = std::min(n, start + 1);
    }
}

}  // namespace

void PixelSurface::drawLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint32_t word) {
    // The steps below are bounded by one side; with the other side empty
    // they would all be misses.
    if (empty()) return;
    const std::int64_t dx = static_cast<std::int64_t>(x1) - x0;
    const std::int64_t dy = static_cast<std::int64_t>(y1) - y0;
    const std::int64_t ax = dx < 0 ? -dx : dx;
    const std::int64_t ay = dy < 0 ? -dy : dy;
    const std::int64_t n = ax > ay ? ax : ay;

    // The longer axis moves one pixel a step, so only the steps that put it on
    // the surface can store anything; the other axis is checked per pixel.
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (ax > ay) {
        stepsOnSurface(x0, dx > 0, width_, n, first, last);
    } else {
        stepsOnSurface(y0, dy > 0, height_, n, first, last);
    }
    for (std::int64_t i = first; i < last; ++i) {
        const std::int64_t x = x0 + truncatedOffset(dx, i, n);
        const std::int64_t y = y0 + truncatedOffset(dy, i, n);
        if (contains(x, y)) setPixelUnchecked(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), word);
    }
}

void PixelSurface::fill(std::uint32_t word) {
    if (empty()) return;
    std::fill_n(pixels_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), word);
}

void PixelSurface::fillRect(const Point2& topLeft, std::int32_t w, std::int32_t h, const Vector3& colour) {
    if (empty()) return;
    const std::optional<std::int32_t> left = truncToInt32(topLeft.x);
    const std::optional<std::int32_t> top = truncToInt32(topLeft.y);
    if (!left || !top) return;

    // 64 bits, so that sizes near the int32 limits cannot overflow.
    std::int64_t x = *left, y = *top, cols = w, rows = h;
    const auto clampAxis = [](std::int64_t& start, std::int64_t& size, std::int64_t limit) {
        if (start < 0) {
            size += start;
            if (size <= 0) return false;
            start = 0;
        }
        if (start + size >= limit) {
            size = limit - start - 1;
            if (size <= 0) return false;
        }
        return size > 0;
    };
    if (!clampAxis(x, cols, width_) || !clampAxis(y, rows, height_)) return;

    const std::uint32_t word = packColour(colour);
    std::uint32_t* row = pixels_ + static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * width_;
    for (std::int64_t r = 0; r < rows; ++r, row += width_) std::fill_n(row, cols, word);
}
