#include "viewer/camera_control.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using std::sqrt;

struct V {
    double x, y, z;
};
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator*(V a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V unit(V a) {
    const double n = sqrt(dot(a, a));
    return n > 0.0 ? a * (1.0 / n) : V{1.0, 0.0, 0.0};
}
V wide(const Vector3& v) { return {v.x, v.y, v.z}; }
Vector3 narrow(V v) { return Vector3(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)); }

// Never closer than this to straight up or down, so up never lies along the line of sight.
constexpr double MAX_ELEVATION = (90.0 - 1.0) * std::numbers::pi / 180.0;

}  // namespace

void CameraControl::reset(const ViewPose& start, double sceneSize) {
    pose_ = start;
    const V eye = wide(start.eye);
    const V toTarget = wide(start.target) - eye;
    eye_ = {eye.x, eye.y, eye.z};
    const V f = unit(toTarget);
    forward_ = {f.x, f.y, f.z};
    const V u = unit(wide(start.up));
    up_ = {u.x, u.y, u.z};
    distance_ = sqrt(dot(toTarget, toTarget));
    if (!(distance_ > 0.0) || !std::isfinite(distance_)) distance_ = 1.0;
    setSceneSize(sceneSize);
    moved_ = false;
    dragging_ = false;
}

void CameraControl::setSceneSize(double sceneSize) {
    speed_ = PACE * (std::isfinite(sceneSize) && sceneSize > 0.0 ? sceneSize : 1.0);
}

bool CameraControl::update(const InputState& input, double dt) {
    dt = std::clamp(dt, 0.0, 0.25);  // a stall is not a leap across the scene
    // Seconds each key counts as held: a tap that went down and up between
    // two frames still moves, by as much as a short hold.
    const auto held = [&](Key key) {
        if (input.isDown(key)) return dt;
        return input.wasPressed(key) ? std::max(dt, TAP_SECONDS) : 0.0;
    };
    const double ahead = held(Key::W) - held(Key::S);
    const double aside = held(Key::D) - held(Key::A);
    const double lift = held(Key::E) - held(Key::Q);
    double turnRight = (held(Key::Right) - held(Key::Left)) * TURN_RADIANS_PER_SECOND;
    double turnUp = (held(Key::Up) - held(Key::Down)) * TURN_RADIANS_PER_SECOND;

    const Point2 at = input.pointer();
    if (input.isDown(PointerButton::Left) || input.wasPressed(PointerButton::Left)) {
        if (!dragging_ || input.wasPressed(PointerButton::Left)) dragFrom_ = at;
        // Dragging the picture: it follows the pointer, so the view turns the other way.
        turnRight -= static_cast<double>(at.x - dragFrom_.x) * DRAG_RADIANS_PER_PIXEL;
        turnUp += static_cast<double>(at.y - dragFrom_.y) * DRAG_RADIANS_PER_PIXEL;
        dragFrom_ = at;
        dragging_ = input.isDown(PointerButton::Left);
    } else {
        dragging_ = false;
    }

    bool changed = false;
    if (ahead != 0.0 || aside != 0.0 || lift != 0.0) {
        const V f{forward_.x, forward_.y, forward_.z};
        const V u{up_.x, up_.y, up_.z};
        const V r = unit(cross(f, u));
        const double pace = speed_ * (input.isDown(Key::Shift) ? FAST : 1.0);
        const V move = (f * ahead + r * aside + u * lift) * pace;
        eye_ = {eye_.x + move.x, eye_.y + move.y, eye_.z + move.z};
        changed = pace > 0.0;
    }
    if (turnRight != 0.0 || turnUp != 0.0) {
        turn(turnRight, turnUp);
        changed = true;
    }
    if (input.wheel() != 0.0f) {
        // A notch away from the user narrows the view by a tenth: a zoom in.
        const double fov = pose_.fovDegrees * std::pow(0.9, static_cast<double>(input.wheel()));
        pose_.fovDegrees = static_cast<float>(std::clamp(fov, 1.0, 170.0));
        changed = true;
    }
    if (changed) {
        moved_ = true;
        refreshPose();
    }
    return changed;
}

void CameraControl::turn(double right, double upward) {
    const V u{up_.x, up_.y, up_.z};
    const V f{forward_.x, forward_.y, forward_.z};
    const double elevation = std::asin(std::clamp(dot(f, u), -1.0, 1.0));
    const V level = unit(f - u * dot(f, u));
    const V side = unit(cross(level, u));
    const V heading = level * std::cos(right) + side * std::sin(right);
    const double raised = std::clamp(elevation + upward, -MAX_ELEVATION, MAX_ELEVATION);
    const V turned = unit(heading * std::cos(raised) + u * std::sin(raised));
    forward_ = {turned.x, turned.y, turned.z};
}

void CameraControl::refreshPose() {
    const V eye{eye_.x, eye_.y, eye_.z};
    const V f{forward_.x, forward_.y, forward_.z};
    pose_.eye = narrow(eye);
    pose_.target = narrow(eye + f * distance_);
}
