// The Win32 backend's input: the window procedure's messages into the window's InputState.
#pragma once

#include <windows.h>

// Records what an input or focus message tells; the message still goes on
// to the default procedure, which turns Alt+F4 and the like into commands.
void feedInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
