#pragma once

#include <cstdint>
#include <string>

#include "bmpwindow/platform_handles.h"

class InputState;

// What each backend supplies to BmpWindow; the order of the steps is BmpWindow's.

// Once per process, before the first window: the window class, or the video system.
void registerWindowClass(InstanceHandle instance);

// How often registerWindowClass has run in this process.
int windowClassRegistrations();

// A top-level window titled "Window", not resizable, shown at once. Null, with
// the reason in failure, when it cannot be made.
WindowHandle createAndShowWindow(std::int32_t x, std::int32_t y, std::int32_t clientWidth, std::int32_t clientHeight,
                                 std::int32_t outerWidth, std::int32_t outerHeight, InstanceHandle instance,
                                 std::string& failure);

void destroyWindow(WindowHandle window);

void setWindowTitle(WindowHandle window, const std::string& title);

// From now on the window's input goes into state; null stops it.
void attachInput(WindowHandle window, InputState* state);

// Brings state up to date with what the window system knows but sent no
// event for; called once a frame, before the program reads the state.
void refreshInput(WindowHandle window, InputState& state);
