#pragma once

#include <cstdint>
#include <vector>

#include "bmpwindow/canvas.h"
#include "geometry/shape.h"

// A shape met at one fixed distance by every ray, with a fixed normal; it
// counts its tests and reports its destruction.
class FixedShape final : public Shape {
public:
    explicit FixedShape(float distance, Vector3 normal = {0.0f, 0.0f, 1.0f}, int* destroyed = nullptr)
        : distance_(distance), normal_(normal), destroyed_(destroyed) {}
    ~FixedShape() override {
        if (destroyed_ != nullptr) ++*destroyed_;
    }
    float intersect(const Ray&) const override {
        ++tests;
        return distance_;
    }
    Vector3 normalAt(const Vector3&) const override { return normal_; }

    mutable int tests = 0;

private:
    float distance_;
    Vector3 normal_;
    int* destroyed_;
};

// A canvas that records what reaches its pure operations.
class RecordingCanvas final : public Canvas {
public:
    struct Pixel {
        Point2 at;
        Vector3 colour;
    };
    struct Line {
        Point2 from, to;
    };

    RecordingCanvas(std::int32_t w = 400, std::int32_t h = 400) : w_(w), h_(h) {}
    std::int32_t width() const override { return w_; }
    std::int32_t height() const override { return h_; }
    void plot(const Point2& at, const Vector3& colour) override { plots.push_back({at, colour}); }
    void drawLine(const Point2& from, const Point2& to, const Vector3&) override { lines.push_back({from, to}); }
    void drawText(const Point2&, const std::string&, const Vector3&) override {}

    std::vector<Pixel> plots;
    std::vector<Line> lines;

private:
    std::int32_t w_, h_;
};
