// Point2: a position on a Canvas.
#pragma once

// A position on a canvas in pixels: x to the right, y downward. All single precision.
struct Point2 {
    float x, y;

    Point2() = default;
    constexpr Point2(float x_, float y_) : x(x_), y(y_) {}

    Point2 operator-(const Point2& b) const { return {x - b.x, y - b.y}; }
    void operator+=(const Point2& d) { x += d.x; y += d.y; }
    Point2 operator*(float t) const { return {t * x, t * y}; }
};

inline float dot(const Point2& a, const Point2& b) { return a.x * b.x + a.y * b.y; }
