#include <windows.h>

#include <string>

#include "bmpwindow/input_win32.h"
#include "bmpwindow/window_platform.h"
#include "bmpwindow/window_proc_win32.h"

namespace {
int registrations = 0;
}

int windowClassRegistrations() { return registrations; }

void registerWindowClass(InstanceHandle instance) {
    ++registrations;
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INACTIVEBORDER + 1));  // 12
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = WINDOW_CLASS_NAME;
    RegisterClassA(&windowClass);
}

WindowHandle createAndShowWindow(std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                                 std::int32_t outerWidth, std::int32_t outerHeight, InstanceHandle instance,
                                 std::string& failure) {
    HWND window = CreateWindowExA(0, WINDOW_CLASS_NAME, "Window", WINDOW_STYLE, x, y, outerWidth, outerHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        failure = "cannot create the window (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

void destroyWindow(WindowHandle window) { DestroyWindow(window); }

void setWindowTitle(WindowHandle window, const std::string& title) { SetWindowTextA(window, title.c_str()); }

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
        case WM_CLOSE:
        case WM_QUIT:
            PostQuitMessage(0);
            return 0;
        default: {
            feedInput(window, message, wParam, lParam);
            const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            if (isInputMessage(message)) takeQueuedInput(window);
            return result;
        }
    }
}
