// windowProc (SDL): what a program's event loop hands each event to.
#pragma once

union SDL_Event;

// The window procedure of the SDL backend: a close request for the window
// posts the quit request (SDL_QUIT) and leaves the window as it is; every
// other event is left alone.
void windowProc(const SDL_Event& event);

// Quit and close requests are also recorded as SDL sees them come, ahead of
// its queue, which drops whatever arrives while it is full. The message loop
// ends at once on a close request, as Win32 hands WM_CLOSE straight to the
// window procedure, and on a quit request that the queue dropped once the
// queue is empty, as Win32 makes WM_QUIT when nothing else is queued.
bool closeRequested();
bool quitRequested();
// The loop that ended on a request forgets it, so a later loop runs.
void forgetQuitRequests();
