// The SDL backend's input: events into each window's InputState.
#pragma once

#include <SDL.h>

class InputState;

// The event filter of the backend: input events go into the InputState of
// their window and are dropped (0), so that no flood of them fills SDL's
// queue; everything else is queued (1).
int feedInput(void*, SDL_Event* event);

// Makes the backend's X11 window ask for no event that comes in floods and
// that state read once a frame can replace: pointer motion, crossings and
// key releases. Does nothing on other video drivers.
void askForFewerX11Events(SDL_Window* window);
// What the window asks no event for, read from the X server; nothing on other drivers.
void pollX11Input(SDL_Window* window, InputState& state);
