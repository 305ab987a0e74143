#include "bmpwindow/input_win32.h"

#include <optional>

#include "bmpwindow/input_state.h"
#include "bmpwindow/window_platform.h"

namespace {

std::optional<Key> keyOf(WPARAM virtualKey) {
    const auto code = static_cast<int>(virtualKey);
    if (code >= 'A' && code <= 'Z') return static_cast<Key>(static_cast<int>(Key::A) + (code - 'A'));
    if (code >= '0' && code <= '9') return static_cast<Key>(static_cast<int>(Key::Digit0) + (code - '0'));
    if (code >= VK_F1 && code <= VK_F12) return static_cast<Key>(static_cast<int>(Key::F1) + (code - VK_F1));
    switch (code) {
        case VK_LEFT: return Key::Left;
        case VK_RIGHT: return Key::Right;
        case VK_UP: return Key::Up;
        case VK_DOWN: return Key::Down;
        case VK_SPACE: return Key::Space;
        case VK_RETURN: return Key::Enter;
        case VK_ESCAPE: return Key::Escape;
        case VK_BACK: return Key::Backspace;
        case VK_TAB: return Key::Tab;
        case VK_SHIFT: return Key::Shift;
        case VK_CONTROL: return Key::Control;
        case VK_MENU: return Key::Alt;
        default: return std::nullopt;
    }
}

InputState* stateOf(HWND window) {
    return reinterpret_cast<InputState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

Point2 positionIn(LPARAM lParam) {
    // Signed: with the pointer captured, positions left of or above the client area are negative.
    return Point2(static_cast<float>(static_cast<short>(LOWORD(lParam))),
                  static_cast<float>(static_cast<short>(HIWORD(lParam))));
}

}  // namespace

void feedInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    InputState* state = stateOf(window);
    if (state == nullptr) return;
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (const auto key = keyOf(wParam)) state->keyDown(*key);
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (const auto key = keyOf(wParam)) state->keyUp(*key);
            break;
        case WM_MOUSEMOVE:
            if (!state->pointerInside()) {
                // Windows says when the pointer leaves only to a window that asks each time it comes in.
                TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
                TrackMouseEvent(&track);
            }
            state->pointerMoved(positionIn(lParam), true);
            break;
        case WM_MOUSELEAVE:
            state->pointerLeft();
            break;
        case WM_LBUTTONDOWN: state->buttonDown(PointerButton::Left); break;
        case WM_MBUTTONDOWN: state->buttonDown(PointerButton::Middle); break;
        case WM_RBUTTONDOWN: state->buttonDown(PointerButton::Right); break;
        case WM_LBUTTONUP: state->buttonUp(PointerButton::Left); break;
        case WM_MBUTTONUP: state->buttonUp(PointerButton::Middle); break;
        case WM_RBUTTONUP: state->buttonUp(PointerButton::Right); break;
        case WM_MOUSEWHEEL:
            state->wheelTurned(static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA);
            break;
        case WM_KILLFOCUS:
            state->focusLost();
            break;
        default:
            break;
    }
}

bool isInputMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

void takeQueuedInput(HWND window) {
    // Bounded: under a flood that does not stop, the loop still gets its frames.
    constexpr int MOST = 100000;
    MSG queued;
    for (int taken = 0; taken < MOST; ++taken) {
        if (!PeekMessageA(&queued, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) &&
            !PeekMessageA(&queued, window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
            return;
        }
        feedInput(window, queued.message, queued.wParam, queued.lParam);
        DefWindowProcA(window, queued.message, queued.wParam, queued.lParam);  // Alt+F4 and the like
    }
}

void attachInput(WindowHandle window, InputState* state) {
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
}

// Every change comes as a message.
void refreshInput(WindowHandle, InputState&) {}
