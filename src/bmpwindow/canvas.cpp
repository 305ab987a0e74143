#include "bmpwindow/canvas.h"

#include <algorithm>
#include <cmath>

#include "bmpwindow/clip_edge.h"
#include "bmpwindow/truncate.h"

void Canvas::setPixelRgb(std::int32_t x, std::int32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const Vector3 colour(r / 255.0f, g / 255.0f, b / 255.0f);
    plot(Point2(static_cast<float>(x), static_cast<float>(y)), colour);
}

void Canvas::setPixel(std::int32_t x, std::int32_t y, const Vector3& colour) {
    plot(Point2(static_cast<float>(x), static_cast<float>(y)), colour);
}

void Canvas::fillRect(const Point2& topLeft, std::int32_t w, std::int32_t h, const Vector3& colour) {
    // Without rows every column is clipped away: not worth visiting them.
    if (width() <= 0 || height() <= 0) return;
    const std::optional<std::int32_t> first = truncToInt32(topLeft.x);
    const std::optional<std::int32_t> xEnd = truncToInt32(static_cast<double>(w) + topLeft.x);
    if (!first || !xEnd) return;
    const float yEnd = static_cast<float>(static_cast<double>(h) + topLeft.y);
    // Columns left of 0 or right of the last one are always clipped away
    // whole, so they are skipped rather than visited one by one.
    const std::int32_t begin = std::max(*first, 0);
    const std::int32_t end = std::min(*xEnd, width());
    for (std::int32_t i = begin; i < end; ++i) {
        const float x = static_cast<float>(i);
        drawClippedLine(Point2(x, topLeft.y), Point2(x, yEnd), colour);
    }
}

void Canvas::drawClippedLine(const Point2& from, const Point2& to, const Vector3& colour) {
    // Edges cannot cut a segment with an infinite or NaN end; such a segment is not drawn.
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) || !std::isfinite(to.y)) return;

    const auto insideOpen = [this](const Point2& p) {
        return 0.0f < p.x && p.x < static_cast<double>(width()) - 1.0 && 0.0f < p.y &&
               p.y < static_cast<double>(height()) - 1.0;
    };
    if (insideOpen(from) && insideOpen(to)) {
        drawLine(from, to, colour);
        return;
    }

    const float inset = 1.1f;
    const ClipEdge edges[] = {
        ClipEdge(Point2(0.0f, -1.0f), -0.1f),
        ClipEdge(Point2(1.0f, 0.0f), static_cast<float>(static_cast<double>(width()) - inset)),
        ClipEdge(Point2(0.0f, 1.0f), static_cast<float>(static_cast<double>(height()) - inset)),
        ClipEdge(Point2(-1.0f, 0.0f), -0.1f),
    };
    Point2 a = from;
    Point2 b = to;
    for (const ClipEdge& edge : edges) {
        if (edge.clip(a, b)) return;
    }
    drawLine(a, b, colour);
}
