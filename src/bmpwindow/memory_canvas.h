// MemoryCanvas: a Canvas in memory with no window; draw, then read its pixels or save them as a PNG.
#pragma once

#include <vector>

#include "bmpwindow/surface_canvas.h"

// A canvas over pixel memory of its own, with no window: what tests and the
// headless renderer draw on. Starts black. It has no font, so text draws nothing.
class MemoryCanvas final : public SurfaceCanvas {
public:
    MemoryCanvas(std::int32_t width, std::int32_t height);

    void drawText(const Point2&, const std::string&, const Vector3&) override {}

    const PixelSurface& surface() const { return surface_; }
    std::uint32_t pixel(std::int32_t x, std::int32_t y) const {
        return memory_[static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * static_cast<std::size_t>(width())];
    }

private:
    std::vector<std::uint32_t> memory_;
    PixelSurface surface_;
};
