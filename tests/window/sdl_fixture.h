#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

// Windows on SDL's offscreen driver: real SDL windows and surfaces, no X server.
class SdlWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
    void TearDown() override { SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }

    // Drops what window creation queued, so a test sees only its own events.
    static void drainEvents() {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
};
