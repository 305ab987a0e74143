#include <windows.h>

#include "bmpwindow/bmp_window.h"
#include "bmpwindow/window_proc_win32.h"
#include "window_fixture.h"

namespace {

HINSTANCE thisModule() { return GetModuleHandleA(nullptr); }

TEST_F(WindowTest, ClassRecordIsRegisteredAsDescribed) {
    BmpWindow window(30, 30, 400, 400, thisModule());
    WNDCLASSA record{};
    ASSERT_TRUE(GetClassInfoA(thisModule(), "Library_BMP_Window", &record));
    EXPECT_EQ(record.style, static_cast<UINT>(CS_OWNDC));
    EXPECT_EQ(record.lpfnWndProc, &windowProc);
    EXPECT_EQ(record.cbClsExtra, 0);
    EXPECT_EQ(record.cbWndExtra, 0);
    EXPECT_EQ(record.hIcon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
    EXPECT_EQ(record.hCursor, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(record.hbrBackground), 12);
    EXPECT_EQ(record.lpszMenuName, nullptr);
}

TEST_F(WindowTest, WindowHasTheFixedStyleOuterSizeAndTitle) {
    BmpWindow window(30, 30, 400, 400, thisModule());
    HWND handle = window.windowHandle();
    ASSERT_TRUE(IsWindow(handle));
    const LONG style = GetWindowLongA(handle, GWL_STYLE);
    EXPECT_EQ(style & ~WS_VISIBLE & ~WS_CLIPSIBLINGS, static_cast<LONG>(0x00CA0000));
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_EQ(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    RECT outer{};
    ASSERT_TRUE(GetWindowRect(handle, &outer));
    EXPECT_EQ(outer.right - outer.left, 407);
    EXPECT_EQ(outer.bottom - outer.top, 425);
    EXPECT_EQ(outer.left, 30);
    EXPECT_EQ(outer.top, 30);

    char title[32] = {};
    GetWindowTextA(handle, title, sizeof title);
    EXPECT_STREQ(title, "Window");
    char className[32] = {};
    GetClassNameA(handle, className, sizeof className);
    EXPECT_STREQ(className, "Library_BMP_Window");

    window.setTitle("scene.toml - 12.5 ms");
    GetWindowTextA(handle, title, sizeof title);
    EXPECT_STREQ(title, "scene.toml - 12.5 ms");
}

TEST_F(WindowTest, ClosingPostsQuitAndLeavesTheWindow) {
    BmpWindow window(30, 30, 100, 100, thisModule());
    drainEvents();
    HWND handle = window.windowHandle();
    EXPECT_EQ(windowProc(handle, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(handle));
    MSG quit{};
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);

    // The close box goes the same way, through the message the system sends.
    EXPECT_EQ(SendMessageA(handle, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(WindowTest, OtherMessagesGetTheDefaultProceduresAnswer) {
    BmpWindow window(30, 30, 100, 100, thisModule());
    HWND handle = window.windowHandle();
    EXPECT_EQ(windowProc(handle, WM_GETTEXTLENGTH, 0, 0), DefWindowProcA(handle, WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(windowProc(handle, WM_GETTEXTLENGTH, 0, 0), 6);
    RECT outer{};
    GetWindowRect(handle, &outer);
    const LPARAM caption = MAKELPARAM(outer.left + 50, outer.top + 5);
    EXPECT_EQ(windowProc(handle, WM_NCHITTEST, 0, caption), DefWindowProcA(handle, WM_NCHITTEST, 0, caption));
    drainEvents();
    windowProc(handle, WM_PAINT, 0, 0);
    MSG posted{};
    EXPECT_FALSE(PeekMessageA(&posted, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
