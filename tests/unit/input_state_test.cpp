#include <gtest/gtest.h>

#include "bmpwindow/input_state.h"

namespace {

TEST(InputStateKeys, DownUntilReleasedAndPressedUntilTheNextFrame) {
    InputState input;
    EXPECT_FALSE(input.isDown(Key::Space));
    input.keyDown(Key::Space);
    EXPECT_TRUE(input.isDown(Key::Space));
    EXPECT_TRUE(input.wasPressed(Key::Space));
    EXPECT_FALSE(input.isDown(Key::Enter));
    input.nextFrame();
    EXPECT_TRUE(input.isDown(Key::Space));  // still held
    EXPECT_FALSE(input.wasPressed(Key::Space));
    input.keyUp(Key::Space);
    EXPECT_FALSE(input.isDown(Key::Space));
}

TEST(InputStateKeys, APressReleasedBeforeTheFrameIsNotLost) {
    InputState input;
    input.keyDown(Key::Escape);
    input.keyUp(Key::Escape);
    EXPECT_FALSE(input.isDown(Key::Escape));
    EXPECT_TRUE(input.wasPressed(Key::Escape));
    input.nextFrame();
    EXPECT_FALSE(input.wasPressed(Key::Escape));
}

TEST(InputStateKeys, RepeatsOfAHeldKeyAreNotNewPresses) {
    InputState input;
    input.keyDown(Key::A);
    input.nextFrame();
    input.keyDown(Key::A);
    input.keyDown(Key::A);
    EXPECT_TRUE(input.isDown(Key::A));
    EXPECT_FALSE(input.wasPressed(Key::A));
}

TEST(InputStateKeys, EveryNamedKeyIsKeptApart) {
    InputState input;
    for (int k = 0; k < static_cast<int>(Key::Count); k += 2) input.keyDown(static_cast<Key>(k));
    for (int k = 0; k < static_cast<int>(Key::Count); ++k) {
        EXPECT_EQ(input.isDown(static_cast<Key>(k)), k % 2 == 0) << "key " << k;
    }
}

TEST(InputStateButtons, DownAndPressedLikeKeys) {
    InputState input;
    input.buttonDown(PointerButton::Right);
    input.buttonUp(PointerButton::Right);
    EXPECT_TRUE(input.wasPressed(PointerButton::Right));
    EXPECT_FALSE(input.isDown(PointerButton::Right));
    EXPECT_FALSE(input.wasPressed(PointerButton::Left));
    input.buttonDown(PointerButton::Middle);
    input.nextFrame();
    EXPECT_TRUE(input.isDown(PointerButton::Middle));
    EXPECT_FALSE(input.wasPressed(PointerButton::Middle));
    EXPECT_FALSE(input.wasPressed(PointerButton::Right));
}

TEST(InputStatePointer, LastPositionAndWhetherInside) {
    InputState input;
    EXPECT_FALSE(input.pointerInside());
    input.pointerMoved(Point2(12.0f, 34.0f), true);
    input.pointerMoved(Point2(56.0f, 7.0f), true);
    EXPECT_EQ(input.pointer().x, 56.0f);
    EXPECT_EQ(input.pointer().y, 7.0f);
    EXPECT_TRUE(input.pointerInside());
    input.nextFrame();
    EXPECT_TRUE(input.pointerInside());  // a frame does not move the pointer
    input.pointerLeft();
    EXPECT_FALSE(input.pointerInside());
    EXPECT_EQ(input.pointer().x, 56.0f);
}

TEST(InputStatePointer, TheWheelAddsUpWithinAFrame) {
    InputState input;
    input.wheelTurned(1.0f);
    input.wheelTurned(1.0f);
    input.wheelTurned(-0.5f);
    EXPECT_EQ(input.wheel(), 1.5f);
    input.nextFrame();
    EXPECT_EQ(input.wheel(), 0.0f);
}

TEST(InputStateFocus, LosingItReleasesKeysAndButtonsButKeepsThePresses) {
    InputState input;
    input.keyDown(Key::Shift);
    input.keyDown(Key::F12);
    input.buttonDown(PointerButton::Left);
    input.focusLost();
    EXPECT_FALSE(input.isDown(Key::Shift));
    EXPECT_FALSE(input.isDown(Key::F12));
    EXPECT_FALSE(input.isDown(PointerButton::Left));
    // The press happened; this frame may still act on it.
    EXPECT_TRUE(input.wasPressed(Key::F12));
    // Back in focus, the next press of the same key counts anew.
    input.nextFrame();
    input.keyDown(Key::Shift);
    EXPECT_TRUE(input.wasPressed(Key::Shift));
}

}  // namespace
