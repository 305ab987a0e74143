// The Win32 backend's input: the window procedure's messages into the window's InputState.
#pragma once

#include <windows.h>

// Records what an input or focus message tells; the message still goes on
// to the default procedure, which turns Alt+F4 and the like into commands.
void feedInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Windows queues every key and button message one by one, and a program
// that takes one message a frame would work through a flood for minutes,
// its close behind it. So the window procedure, given one, takes the
// window's input messages queued behind it too: the program's loop meets
// one message of a flood.
bool isInputMessage(UINT message);
void takeQueuedInput(HWND window);
