// PixelSurface: 32-bit pixel words in rows, and the drawing done on them directly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmpwindow/point2.h"
#include "math/vector3.h"

// Pixel words in top-down rows of exactly width words, blue in the low byte:
// the layout of a 32-bit top-down DIB. The memory belongs to whoever made it.
class PixelSurface {
public:
    PixelSurface(std::uint32_t* pixels, std::int32_t width, std::int32_t height)
        : pixels_(pixels), width_(width), height_(height) {}
    PixelSurface(const PixelSurface&) = delete;
    PixelSurface& operator=(const PixelSurface&) = delete;

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::uint32_t* pixels() const { return pixels_; }
    // No pixels (a zero or negative side): every drawing call returns at once.
    bool empty() const { return width_ <= 0 || height_ <= 0; }

    bool contains(std::int64_t x, std::int64_t y) const { return x >= 0 && x < width_ && y >= 0 && y < height_; }

    void setPixel(std::int32_t x, std::int32_t y, std::uint32_t word) {
        if (contains(x, y)) setPixelUnchecked(x, y, word);
    }
    void setPixelUnchecked(std::int32_t x, std::int32_t y, std::uint32_t word) {
        pixels_[static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)] = word;
    }

    // Integer DDA: n = max(|dx|, |dy|) pixels, (x0 + dx·i/n, y0 + dy·i/n) for
    // i < n, quotients truncated; the end point is not stored. Any end points
    // are allowed: pixels that fall off the surface are skipped.
    void drawLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint32_t word);

    void fill(std::uint32_t word);

    // Clamped to the surface, but one short of the last column and row:
    // a rectangle reaching the right or bottom edge ends at W - 2 or H - 2.
    void fillRect(const Point2& topLeft, std::int32_t w, std::int32_t h, const Vector3& colour);

protected:
    // For surfaces whose memory exists only once the platform has made it.
    void attach(std::uint32_t* pixels, std::int32_t width, std::int32_t height) {
        pixels_ = pixels;
        width_ = width;
        height_ = height;
    }

private:
    std::uint32_t* pixels_;
    std::int32_t width_;
    std::int32_t height_;
};
