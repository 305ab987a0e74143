// ClipEdge: one edge of the rectangle that Canvas::drawClippedLine cuts segments to.
#pragma once

#include "bmpwindow/point2.h"

// A half-plane; normal points away from the canvas. A point on the line is outside.
class ClipEdge {
public:
    constexpr ClipEdge(const Point2& normal, float offset) : offset_(offset), normal_(normal) {}

    bool isOutside(const Point2& p) const { return dot(p, normal_) >= offset_; }

    // The parameter at which the segment from p (outside) to q (inside) meets the line.
    float crossing(const Point2& p, const Point2& q) const;

    // Moves the end point that lies outside onto the line. True: all of a-b is outside.
    bool clip(Point2& a, Point2& b) const;

private:
    float offset_;
    Point2 normal_;
};
