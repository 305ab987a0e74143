// InputState: the keyboard and pointer as a program reads them between frames.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "bmpwindow/point2.h"

// The keys a program can ask about, under names of the library's own.
enum class Key : std::uint8_t {
    A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z,
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    Left, Right, Up, Down,
    Space, Enter, Escape, Backspace, Tab,
    Shift, Control, Alt,
    F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
    Count
};

enum class PointerButton : std::uint8_t { Left, Middle, Right, Count };

// What the backend has seen of the keys and the pointer, kept as state
// rather than as a queue of events, so a flood of input costs no memory and
// no time to work through. "Pressed" means went down since the last
// nextFrame, even if it has gone up again since.
class InputState {
public:
    bool isDown(Key key) const { return keysDown_[index(key)]; }
    bool wasPressed(Key key) const { return keysPressed_[index(key)]; }
    bool isDown(PointerButton button) const { return buttonsDown_[index(button)]; }
    bool wasPressed(PointerButton button) const { return buttonsPressed_[index(button)]; }

    // In client-area pixels; the last position seen, also once the pointer has left.
    Point2 pointer() const { return pointer_; }
    bool pointerInside() const { return pointerInside_; }
    // Notches turned since the last nextFrame: positive away from the user.
    float wheel() const { return wheel_; }

    // What the backends report. A key that repeats while held is pressed once.
    void keyDown(Key key);
    void keyUp(Key key) { keysDown_[index(key)] = false; }
    void buttonDown(PointerButton button);
    void buttonUp(PointerButton button) { buttonsDown_[index(button)] = false; }
    void pointerMoved(Point2 at, bool inside);
    void pointerLeft() { pointerInside_ = false; }
    void wheelTurned(float notches) { wheel_ += notches; }
    // Releases come to the window that has the focus, so none would come
    // for what is held when it goes: everything counts as released.
    void focusLost();

    // Starts a new frame: forgets what was pressed and the wheel's turning.
    void nextFrame();

private:
    static constexpr std::size_t KEYS = static_cast<std::size_t>(Key::Count);
    static constexpr std::size_t BUTTONS = static_cast<std::size_t>(PointerButton::Count);
    static std::size_t index(Key key) { return static_cast<std::size_t>(key); }
    static std::size_t index(PointerButton button) { return static_cast<std::size_t>(button); }

    std::bitset<KEYS> keysDown_;
    std::bitset<KEYS> keysPressed_;
    std::bitset<BUTTONS> buttonsDown_;
    std::bitset<BUTTONS> buttonsPressed_;
    Point2 pointer_{0.0f, 0.0f};
    bool pointerInside_ = false;
    float wheel_ = 0.0f;
};
