#include <windows.h>

#include "app/message_loop.h"
#include "bmpwindow/bmp_window.h"
#include "timing/clock.h"
#include "timing/clock_win32.h"
#include "window_fixture.h"

namespace {

using LoopTest = WindowTest;

int framesRendered = 0;
void countFrame() { ++framesRendered; }

TEST_F(LoopTest, OneFramePerMessageUntilQuit) {
    BmpWindow window(30, 30, 100, 100, GetModuleHandleA(nullptr));
    for (int k : {0, 1, 5, 40}) {
        drainEvents();
        ValidateRect(window.windowHandle(), nullptr);
        for (int i = 0; i < k; ++i) ASSERT_TRUE(PostMessageA(window.windowHandle(), WM_USER, 0, 0));
        PostQuitMessage(7);  // its value is not the loop's concern
        framesRendered = 0;
        runMessageLoop(countFrame);
        EXPECT_EQ(framesRendered, k);
    }
}

TEST_F(LoopTest, ACloseMessageEndsTheLoopAfterItsFrame) {
    BmpWindow window(30, 30, 100, 100, GetModuleHandleA(nullptr));
    drainEvents();
    ValidateRect(window.windowHandle(), nullptr);
    PostMessageA(window.windowHandle(), WM_CLOSE, 0, 0);
    framesRendered = 0;
    runMessageLoop(countFrame);
    EXPECT_EQ(framesRendered, 1);
    EXPECT_TRUE(IsWindow(window.windowHandle()));
}

BOOL WINAPI threeMillionTicks(LARGE_INTEGER* value) {
    value->QuadPart = 3000000;
    return TRUE;
}
BOOL WINAPI oneMillionPerSecond(LARGE_INTEGER* value) {
    value->QuadPart = 1000000;
    return TRUE;
}
BOOL WINAPI failingQuery(LARGE_INTEGER*) { return FALSE; }

TEST(PerformanceCounter, TicksOverFrequencyInSeconds) {
    setCounterQueries(threeMillionTicks, oneMillionPerSecond);
    EXPECT_EQ(nowSeconds(), 3.0);
    // A failed query leaves the zero it was given: 0 ticks, and 3e6 / 0 is not caught.
    setCounterQueries(failingQuery, oneMillionPerSecond);
    EXPECT_EQ(nowSeconds(), 0.0);
    setCounterQueries(nullptr, nullptr);
    const double a = nowSeconds();
    EXPECT_GT(a, 0.0);
    EXPECT_LE(a, nowSeconds());
}

}  // namespace
