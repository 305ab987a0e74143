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

// The close request goes to the window procedure ahead of the queue, as
// Win32's WM_CLOSE does: no frame for the events queued before it.
TEST_F(CloseAndLoopTest, ACloseRequestEndsTheLoopAheadOfQueuedEvents) {
    BmpWindow window(30, 30, 100, 100, nullptr);
    for (int k : {0, 3}) {
        drainEvents();
        for (int i = 0; i < k; ++i) push(SDL_USEREVENT);
        SDL_Event close = closeRequestFor(window);
        SDL_PushEvent(&close);
        framesRendered = 0;
        runMessageLoop(countFrame);
        EXPECT_EQ(framesRendered, 0) << k << " events ahead of the close";
    }
}

// Fills SDL's queue; returns how many events it took.
int fillQueue() {
    SDL_Event filler{};
    filler.type = SDL_USEREVENT;
    int queued = 0;
    while (SDL_PushEvent(&filler) == 1) ++queued;
    return queued;
}

TEST_F(CloseAndLoopTest, RequestsThatAFullQueueDropsStillEndTheLoop) {
    BmpWindow window(30, 30, 100, 100, nullptr);

    // A close: at once.
    drainEvents();
    ASSERT_GT(fillQueue(), 1000);
    SDL_Event close = closeRequestFor(window);
    EXPECT_LT(SDL_PushEvent(&close), 1);  // the queue had no room for it
    framesRendered = 0;
    runMessageLoop(countFrame);
    EXPECT_EQ(framesRendered, 0);

    // A quit (what SIGTERM sends): once the queue is worked off, one frame an event.
    drainEvents();
    const int queued = fillQueue();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_LT(SDL_PushEvent(&quit), 1);
    framesRendered = 0;
    runMessageLoop(countFrame);
    EXPECT_EQ(framesRendered, queued);
}

// Nothing handles input: queued one by one, a waved pointer would hold the
// close back behind thousands of events.
TEST_F(CloseAndLoopTest, InputIsNotQueued) {
    BmpWindow window(30, 30, 100, 100, nullptr);
    for (Uint32 kind : {SDL_TEXTINPUT, SDL_FINGERMOTION}) {
        EXPECT_EQ(SDL_EventState(kind, SDL_QUERY), SDL_IGNORE) << "event kind " << kind;
    }
    for (Uint32 kind : {SDL_WINDOWEVENT, SDL_QUIT}) EXPECT_EQ(SDL_EventState(kind, SDL_QUERY), SDL_ENABLE);
    // What the window's input reads goes into its state, not into the queue.
    drainEvents();
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(window.windowHandle());
    for (int i = 0; i < 1000; ++i) SDL_PushEvent(&motion);
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = motion.motion.windowID;
    SDL_PushEvent(&key);
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0);
}

}  // namespace
