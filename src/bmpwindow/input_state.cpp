#include "bmpwindow/input_state.h"

void InputState::keyDown(Key key) {
    if (!keysDown_[index(key)]) keysPressed_[index(key)] = true;
    keysDown_[index(key)] = true;
}

void InputState::buttonDown(PointerButton button) {
    buttonsDown_[index(button)] = true;
    buttonsPressed_[index(button)] = true;
}

void InputState::pointerMoved(Point2 at, bool inside) {
    pointer_ = at;
    pointerInside_ = inside;
}

void InputState::focusLost() {
    keysDown_.reset();
    buttonsDown_.reset();
}

void InputState::nextFrame() {
    keysPressed_.reset();
    buttonsPressed_.reset();
    wheel_ = 0.0f;
}
