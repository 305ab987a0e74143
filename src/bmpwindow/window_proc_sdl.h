// windowProc (SDL): what a program's event loop hands each event to.
#pragma once

union SDL_Event;

// The window procedure of the SDL backend: a close request for the window
// posts the quit request (SDL_QUIT) and leaves the window as it is; every
// other event is left alone.
void windowProc(const SDL_Event& event);
