#include <SDL.h>

#include "app/message_loop.h"
#include "bmpwindow/bmp_window.h"
#include "bmpwindow/window_proc_sdl.h"
#include "window_fixture.h"

namespace {

using CloseAndLoopTest = WindowTest;

int framesRendered = 0;
void countFrame() { ++framesRendered; }

void push(Uint32 type) {
    SDL_Event event{};
    event.type = type;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

SDL_Event closeRequestFor(const BmpWindow& window) {
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(window.windowHandle());
    return close;
}

int pendingQuits() {
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 16, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT);
}

TEST_F(CloseAndLoopTest, CloseRequestPostsQuitAndLeavesTheWindow) {
    BmpWindow window(30, 30, 100, 100, nullptr);
    drainEvents();
    const Uint32 id = SDL_GetWindowID(window.windowHandle());
    windowProc(closeRequestFor(window));
    EXPECT_EQ(pendingQuits(), 1);
    EXPECT_EQ(SDL_GetWindowFromID(id), window.windowHandle());
    EXPECT_TRUE(SDL_GetWindowFlags(window.windowHandle()) & SDL_WINDOW_SHOWN);
}

TEST_F(CloseAndLoopTest, OtherEventsPostNothing) {
    BmpWindow window(30, 30, 100, 100, nullptr);
    drainEvents();
    SDL_Event other{};
    other.type = SDL_WINDOWEVENT;
    other.window.event = SDL_WINDOWEVENT_EXPOSED;
    other.window.windowID = SDL_GetWindowID(window.windowHandle());
    windowProc(other);
    other.type = SDL_KEYDOWN;
    windowProc(other);
    EXPECT_EQ(pendingQuits(), 0);
}

TEST_F(CloseAndLoopTest, OneFramePerEventUntilQuit) {
    BmpWindow window(30, 30, 100, 100, nullptr);
    for (int k : {0, 1, 5, 40}) {
        drainEvents();
        for (int i = 0; i < k; ++i) push(SDL_USEREVENT);
        push(SDL_QUIT);
        push(SDL_USEREVENT);  // behind the quit: never reached
        framesRendered = 0;
        runMessageLoop(countFrame);
        EXPECT_EQ(framesRendered, k);
    }
}

TEST_F(CloseAndLoopTest, ACloseEventEndsTheLoopAfterItsFrame) {
    BmpWindow window(30, 30, 100, 100, nullptr);
    drainEvents();
    SDL_Event close = closeRequestFor(window);
    SDL_PushEvent(&close);
    framesRendered = 0;
    runMessageLoop(countFrame);
    EXPECT_EQ(framesRendered, 1);  // the close is dispatched and framed; the quit it posts ends the loop
}

}  // namespace
