#pragma once

#include <gtest/gtest.h>

#if defined(RT_BACKEND_WIN32)
#include <windows.h>
#else
#include <SDL.h>

#include <cstdlib>

#include "bmpwindow/window_proc_sdl.h"
#endif

// Real windows of the backend: on SDL's offscreen driver (no X server
// needed), or real Win32 windows.
class WindowTest : public ::testing::Test {
protected:
#if defined(RT_BACKEND_WIN32)
    void TearDown() override { drainEvents(); }

    // Works off what window creation queued, so a test sees only its own messages.
    static void drainEvents() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
#else
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
    void TearDown() override { drainEvents(); }

    static void drainEvents() {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        forgetQuitRequests();
    }
#endif
};
