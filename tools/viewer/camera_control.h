// CameraControl: flying a camera about a scene with the keys and the pointer,
// at speeds in units per second whatever the frame rate.
#pragma once

#include "bmpwindow/input_state.h"
#include "math/vector3.h"

// A pinhole camera as the scene format writes it.
struct ViewPose {
    Vector3 eye{0.0f, 0.0f, 0.0f};
    Vector3 target{1.0f, 0.0f, 0.0f};
    Vector3 up{0.0f, 0.0f, 1.0f};
    float fovDegrees = 60.0f;
};

// W/S forward and back along the line of sight, A/D left and right, Q/E
// down and up along the pose's up; Shift ten times as fast. The arrow keys
// or a drag with the left button turn the view, never past 1 degree from
// straight up or down; the wheel narrows or widens the field of view.
// Until something moves it, the pose is the one it started from, bit for bit.
class CameraControl {
public:
    // Units a second at the normal pace, as a share of the scene's size.
    static constexpr double PACE = 0.2;
    static constexpr double FAST = 10.0;
    static constexpr double TURN_RADIANS_PER_SECOND = 1.0;
    static constexpr double DRAG_RADIANS_PER_PIXEL = 0.005;
    // What a key pressed and let go between two frames counts as.
    static constexpr double TAP_SECONDS = 0.1;

    // up must not lie along the line of sight from eye to target.
    void reset(const ViewPose& start, double sceneSize);

    // A new size for a scene read again, keeping the pose.
    void setSceneSize(double sceneSize);

    // Applies what is held, dragged and turned over dt seconds; true if the pose changed.
    bool update(const InputState& input, double dt);

    const ViewPose& pose() const { return pose_; }
    bool moved() const { return moved_; }
    double speed() const { return speed_; }

private:
    struct D3 {
        double x, y, z;
    };
    void turn(double right, double upward);
    void refreshPose();

    ViewPose pose_;
    D3 eye_{}, forward_{}, up_{};
    double distance_ = 1.0;
    double speed_ = 1.0;
    bool moved_ = false;
    bool dragging_ = false;
    Point2 dragFrom_{0.0f, 0.0f};
};
