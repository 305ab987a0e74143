// CameraControl: keys held for a time move the camera by speed x time
// whatever the frame rate, along the axes the keys name; turns and the
// wheel change the view and nothing else.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "viewer/camera_control.h"

namespace {

const ViewPose START{Vector3(1.0f, 2.0f, 3.0f), Vector3(11.0f, 2.0f, 3.0f), Vector3(0.0f, 0.0f, 1.0f), 60.0f};

double distance(const Vector3& a, const Vector3& b) {
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

Vector3 sight(const ViewPose& pose) { return normalized(pose.target - pose.eye); }

bool sameBits(const ViewPose& a, const ViewPose& b) {
    return std::memcmp(&a.eye, &b.eye, sizeof a.eye) == 0 && std::memcmp(&a.target, &b.target, sizeof a.target) == 0 &&
           std::memcmp(&a.up, &b.up, sizeof a.up) == 0 && a.fovDegrees == b.fovDegrees;
}

// Holds the keys for `seconds` in frames of dt.
ViewPose hold(CameraControl& control, std::initializer_list<Key> keys, double seconds, double dt) {
    InputState input;
    for (Key key : keys) input.keyDown(key);
    for (long k = std::lround(seconds / dt); k > 0; --k) {
        control.update(input, dt);
        input.nextFrame();
    }
    return control.pose();
}

TEST(CameraControl, StaysBitForBitAtItsStartUntilSomethingMovesIt) {
    CameraControl control;
    control.reset(START, 10.0);
    InputState idle;
    for (int k = 0; k < 10; ++k) EXPECT_FALSE(control.update(idle, 0.016));
    EXPECT_TRUE(sameBits(control.pose(), START));
    EXPECT_FALSE(control.moved());
    // Opposite keys cancel, and a key let go before the frame moves nothing.
    InputState both;
    both.keyDown(Key::W);
    both.keyDown(Key::S);
    EXPECT_FALSE(control.update(both, 0.016));
    EXPECT_TRUE(sameBits(control.pose(), START));
}

TEST(CameraControl, MovesAtOneSpeedWhateverTheFrameRate) {
    for (const double dt : {0.004, 0.02, 0.1, 0.25}) {
        CameraControl control;
        control.reset(START, 10.0);
        const ViewPose pose = hold(control, {Key::W}, 1.0, dt);
        EXPECT_NEAR(distance(pose.eye, START.eye), CameraControl::PACE * 10.0, 1e-4) << "dt " << dt;
        EXPECT_NEAR(pose.eye.x - START.eye.x, CameraControl::PACE * 10.0, 1e-4) << "forward is along the sight";
        EXPECT_TRUE(control.moved());
    }
}

// A key that went down and up between two frames moves as a short hold
// would, however short the frame.
TEST(CameraControl, ATapBetweenFramesStillMoves) {
    CameraControl control;
    control.reset(START, 10.0);
    InputState input;
    input.keyDown(Key::S);
    input.keyUp(Key::S);
    EXPECT_TRUE(control.update(input, 0.001));
    EXPECT_NEAR(START.eye.x - control.pose().eye.x, CameraControl::PACE * 10.0 * CameraControl::TAP_SECONDS, 1e-5);
    input.nextFrame();
    EXPECT_FALSE(control.update(input, 0.001));
}

TEST(CameraControl, EachKeyMovesAlongItsAxisScaledToTheSceneAndShift) {
    struct Case {
        std::initializer_list<Key> keys;
        Vector3 direction;  // for START: sight +x, up +z, right -y
        double times;
    };
    const Case cases[] = {
        {{Key::W}, Vector3(1, 0, 0), 1.0},  {{Key::S}, Vector3(-1, 0, 0), 1.0},
        {{Key::D}, Vector3(0, -1, 0), 1.0}, {{Key::A}, Vector3(0, 1, 0), 1.0},
        {{Key::E}, Vector3(0, 0, 1), 1.0},  {{Key::Q}, Vector3(0, 0, -1), 1.0},
        {{Key::W, Key::Shift}, Vector3(1, 0, 0), CameraControl::FAST},
    };
    for (const double size : {0.5, 40.0}) {
        for (const Case& c : cases) {
            CameraControl control;
            control.reset(START, size);
            const ViewPose pose = hold(control, c.keys, 0.5, 0.01);
            const double expected = CameraControl::PACE * size * c.times * 0.5;
            const Vector3 moved = pose.eye - START.eye;
            EXPECT_NEAR(moved.x, c.direction.x * expected, 1e-4 * expected);
            EXPECT_NEAR(moved.y, c.direction.y * expected, 1e-4 * expected);
            EXPECT_NEAR(moved.z, c.direction.z * expected, 1e-4 * expected);
            // Moving never turns: the line of sight and the rest of the view stay.
            EXPECT_NEAR(dot(sight(pose), sight(START)), 1.0, 1e-6);
            EXPECT_EQ(pose.fovDegrees, START.fovDegrees);
        }
    }
}

TEST(CameraControl, ArrowsAndDragTurnTheViewWithoutMovingTheEye) {
    CameraControl control;
    control.reset(START, 10.0);
    ViewPose pose = hold(control, {Key::Right}, 0.5, 0.01);
    EXPECT_TRUE(sameBits(ViewPose{pose.eye, pose.eye, pose.up, 0}, ViewPose{START.eye, START.eye, START.up, 0}));
    // Turned right by 0.5 rad: toward -y, level.
    EXPECT_NEAR(std::atan2(-sight(pose).y, sight(pose).x), 0.5 * CameraControl::TURN_RADIANS_PER_SECOND, 1e-4);
    EXPECT_NEAR(sight(pose).z, 0.0f, 1e-6);
    // The target stays as far off as it was.
    EXPECT_NEAR(distance(pose.target, pose.eye), 10.0, 1e-4);

    // Up for long enough stops a degree short of straight up.
    pose = hold(control, {Key::Up}, 10.0, 0.05);
    EXPECT_NEAR(std::asin(sight(pose).z), 89.0 * std::numbers::pi / 180.0, 1e-4);

    // A drag to the left by 100 pixels turns the view right by 100 steps.
    CameraControl dragged;
    dragged.reset(START, 10.0);
    InputState input;
    input.pointerMoved(Point2(300.0f, 200.0f), true);
    input.buttonDown(PointerButton::Left);
    dragged.update(input, 0.01);
    input.nextFrame();
    for (int k = 1; k <= 4; ++k) {
        input.pointerMoved(Point2(300.0f - 25.0f * static_cast<float>(k), 200.0f), true);
        dragged.update(input, 0.01);
        input.nextFrame();
    }
    input.buttonUp(PointerButton::Left);
    input.pointerMoved(Point2(0.0f, 0.0f), true);  // moves with the button up turn nothing
    dragged.update(input, 0.01);
    const Vector3 s = sight(dragged.pose());
    EXPECT_NEAR(std::atan2(-s.y, s.x), 100.0 * CameraControl::DRAG_RADIANS_PER_PIXEL, 1e-4);
    EXPECT_TRUE(dragged.moved());
}

TEST(CameraControl, TheWheelNarrowsAndWidensTheFieldOfViewWithinBounds) {
    CameraControl control;
    control.reset(START, 10.0);
    InputState input;
    input.wheelTurned(2.0f);
    EXPECT_TRUE(control.update(input, 0.01));
    EXPECT_NEAR(control.pose().fovDegrees, 60.0 * 0.81, 1e-3);
    input.nextFrame();
    input.wheelTurned(-200.0f);
    control.update(input, 0.01);
    EXPECT_EQ(control.pose().fovDegrees, 170.0f);
    input.nextFrame();
    input.wheelTurned(200.0f);
    control.update(input, 0.01);
    EXPECT_EQ(control.pose().fovDegrees, 1.0f);
    EXPECT_TRUE(sameBits(ViewPose{control.pose().eye, control.pose().target, control.pose().up, 0},
                         ViewPose{START.eye, START.target, START.up, 0}));
}

}  // namespace
