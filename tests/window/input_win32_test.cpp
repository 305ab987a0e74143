#include <windows.h>

#include "bmpwindow/bmp_window.h"
#include "window_fixture.h"

namespace {

using InputWin32Test = WindowTest;

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

TEST_F(InputWin32Test, KeysFromKeyAndSystemKeyMessages) {
    BmpWindow window(30, 30, 100, 100, GetModuleHandleA(nullptr));
    HWND hwnd = window.windowHandle();
    const struct {
        WPARAM code;
        Key key;
    } keys[] = {{'A', Key::A},           {'Z', Key::Z},         {'0', Key::Digit0},     {'9', Key::Digit9},
                {VK_F1, Key::F1},        {VK_F12, Key::F12},    {VK_UP, Key::Up},       {VK_RETURN, Key::Enter},
                {VK_ESCAPE, Key::Escape}, {VK_BACK, Key::Backspace}, {VK_TAB, Key::Tab}, {VK_SHIFT, Key::Shift},
                {VK_CONTROL, Key::Control}, {VK_SPACE, Key::Space}};
    for (const auto& k : keys) {
        SendMessageA(hwnd, WM_KEYDOWN, k.code, 1);
        EXPECT_TRUE(window.input().isDown(k.key)) << k.code;
        SendMessageA(hwnd, WM_KEYUP, k.code, 1);
        EXPECT_FALSE(window.input().isDown(k.key)) << k.code;
        EXPECT_TRUE(window.input().wasPressed(k.key)) << k.code;
    }
    SendMessageA(hwnd, WM_SYSKEYDOWN, VK_MENU, 1);  // Alt comes as a system key
    EXPECT_TRUE(window.input().isDown(Key::Alt));
    SendMessageA(hwnd, WM_SYSKEYUP, VK_MENU, 1);
    EXPECT_FALSE(window.input().isDown(Key::Alt));
    window.endFrame();
    EXPECT_FALSE(window.input().wasPressed(Key::A));
}

TEST_F(InputWin32Test, PointerButtonsWheelAndFocus) {
    BmpWindow window(30, 30, 100, 100, GetModuleHandleA(nullptr));
    HWND hwnd = window.windowHandle();
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, at(21, 65));
    EXPECT_EQ(window.input().pointer().x, 21.0f);
    EXPECT_EQ(window.input().pointer().y, 65.0f);
    EXPECT_TRUE(window.input().pointerInside());
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, at(-3, 5));  // captured, left of the client area
    EXPECT_EQ(window.input().pointer().x, -3.0f);
    SendMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(window.input().pointerInside());

    SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, at(5, 5));
    SendMessageA(hwnd, WM_MBUTTONDOWN, MK_MBUTTON, at(5, 5));
    SendMessageA(hwnd, WM_MBUTTONUP, 0, at(5, 5));
    EXPECT_TRUE(window.input().isDown(PointerButton::Right));
    EXPECT_FALSE(window.input().isDown(PointerButton::Middle));
    EXPECT_TRUE(window.input().wasPressed(PointerButton::Middle));
    EXPECT_FALSE(window.input().wasPressed(PointerButton::Left));

    SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), at(5, 5));
    SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA / 2)), at(5, 5));
    EXPECT_EQ(window.input().wheel(), -0.5f);

    SendMessageA(hwnd, WM_KEYDOWN, 'Q', 1);
    SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(window.input().isDown(Key::Q));
    EXPECT_FALSE(window.input().isDown(PointerButton::Right));
}

TEST_F(InputWin32Test, OneInputMessageTakesTheInputQueuedBehindIt) {
    BmpWindow window(30, 30, 100, 100, GetModuleHandleA(nullptr));
    HWND hwnd = window.windowHandle();
    drainEvents();
    for (int i = 0; i < 2000; ++i) PostMessageA(hwnd, WM_MOUSEMOVE, 0, at(i % 100, i % 50));
    PostMessageA(hwnd, WM_KEYDOWN, 'K', 1);
    PostMessageA(hwnd, WM_USER, 0, 0);  // not input: it stays for the loop
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&message);
    EXPECT_TRUE(window.input().isDown(Key::K));
    EXPECT_EQ(window.input().pointer().x, 99.0f);
    EXPECT_EQ(window.input().pointer().y, 49.0f);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
}

}  // namespace
