// SurfaceCanvas: the Canvas drawing that BmpWindow and MemoryCanvas share.
#pragma once

#include "bmpwindow/canvas.h"
#include "bmpwindow/pixel_surface.h"

// A canvas that draws straight into a PixelSurface: the drawing that the
// window and the headless canvas have in common. Positions off the surface
// are ignored, rectangles are clamped.
class SurfaceCanvas : public Canvas {
public:
    std::int32_t width() const override { return surface_->width(); }
    std::int32_t height() const override { return surface_->height(); }
    void setPixel(std::int32_t x, std::int32_t y, const Vector3& colour) override;
    void plot(const Point2& position, const Vector3& colour) override;
    void fillRect(const Point2& topLeft, std::int32_t width, std::int32_t height, const Vector3& colour) override;
    void clear() override;
    void drawLine(const Point2& from, const Point2& to, const Vector3& colour) override;

protected:
    explicit SurfaceCanvas(PixelSurface* surface) : surface_(surface) {}
    void setSurface(PixelSurface* surface) { surface_ = surface; }

private:
    PixelSurface* surface_;
};
