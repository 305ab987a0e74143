#include "bmpwindow/clip_edge.h"

float ClipEdge::crossing(const Point2& p, const Point2& q) const {
    const float dp = dot(p, normal_);
    const float d = dot(q, normal_) - dp;
    if (d == 0.0f) return -1.0f;
    return (offset_ - dp) / d;
}

bool ClipEdge::clip(Point2& a, Point2& b) const {
    if (isOutside(a)) {
        if (isOutside(b)) return true;
        const float t = crossing(a, b);
        a += (b - a) * t;
        return false;
    }
    if (isOutside(b)) {
        const float t = crossing(b, a);
        b += (a - b) * t;
    }
    return false;
}
