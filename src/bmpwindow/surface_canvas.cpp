#include "bmpwindow/surface_canvas.h"

#include "bmpwindow/pack_colour.h"
#include "bmpwindow/truncate.h"

void SurfaceCanvas::setPixel(std::int32_t x, std::int32_t y, const Vector3& colour) {
    surface_->setPixel(x, y, packColour(colour));
}

void SurfaceCanvas::plot(const Point2& position, const Vector3& colour) {
    const std::optional<std::int32_t> x = truncToInt32(position.x);
    const std::optional<std::int32_t> y = truncToInt32(position.y);
    if (x && y) surface_->setPixel(*x, *y, packColour(colour));
}

void SurfaceCanvas::fillRect(const Point2& topLeft, std::int32_t width, std::int32_t height, const Vector3& colour) {
    surface_->fillRect(topLeft, width, height, colour);
}

void SurfaceCanvas::clear() { surface_->fill(0); }

void SurfaceCanvas::drawLine(const Point2& from, const Point2& to, const Vector3& colour) {
    const std::optional<std::int32_t> x0 = truncToInt32(from.x);
    const std::optional<std::int32_t> y0 = truncToInt32(from.y);
    const std::optional<std::int32_t> x1 = truncToInt32(to.x);
    const std::optional<std::int32_t> y1 = truncToInt32(to.y);
    if (x0 && y0 && x1 && y1) surface_->drawLine(*x0, *y0, *x1, *y1, packColour(colour));
}
