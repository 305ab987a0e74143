#pragma once

#include <windows.h>

// The window procedure of the class: closing, destroying and quitting all
// post the quit request and answer 0, so closing the window leaves it open
// until the program deletes it. Everything else goes to DefWindowProcA.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr const char* WINDOW_CLASS_NAME = "Library_BMP_Window";
inline constexpr DWORD WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x00CA0000: no sizing
