#include "bmpwindow/memory_canvas.h"

#include <algorithm>

MemoryCanvas::MemoryCanvas(std::int32_t width, std::int32_t height)
    : SurfaceCanvas(nullptr),
      memory_(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)), 0u),
      surface_(memory_.data(), std::max(width, 0), std::max(height, 0)) {
    setSurface(&surface_);
}
