// Canvas: the drawing interface (pixels, rectangles, lines, text) of a window or a memory canvas.
#pragma once

#include <cstdint>
#include <string>

#include "bmpwindow/point2.h"
#include "math/vector3.h"

// A rectangle of pixels, column 0 at the left and row 0 at the top.
// Colours are Vector3 and go through packColour on their way to a pixel.
class Canvas {
public:
    Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    virtual ~Canvas() = default;

    virtual void beginFrame() {}
    virtual void endFrame() {}
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const = 0;
    // Bytes become b / 255, so packColour gives each byte back unchanged.
    virtual void setPixelRgb(std::int32_t x, std::int32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    virtual void setPixel(std::int32_t x, std::int32_t y, const Vector3& colour);
    virtual void plot(const Point2& position, const Vector3& colour) = 0;
    // By default a row of clipped vertical lines, left to right.
    virtual void fillRect(const Point2& topLeft, std::int32_t width, std::int32_t height, const Vector3& colour);
    virtual void clear() {}
    // Not clipped: a segment that may leave the canvas goes through drawClippedLine.
    virtual void drawLine(const Point2& from, const Point2& to, const Vector3& colour) = 0;
    // Top-left of the text at the point; text ends at its first NUL byte.
    virtual void drawText(const Point2& at, const std::string& text, const Vector3& colour) = 0;

    // Cuts the segment to the inner rectangle [0.1, W - 1.1] x [0.1, H - 1.1],
    // so every pixel drawLine reaches exists, and draws what is left.
    void drawClippedLine(const Point2& from, const Point2& to, const Vector3& colour);
};
