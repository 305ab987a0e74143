#include <SDL.h>

#include "app/message_loop.h"
#include "bmpwindow/window_proc_sdl.h"

void runMessageLoop(void (*frame)()) {
    for (;;) {
        if (closeRequested()) break;
        SDL_Event event;
        if (SDL_PollEvent(&event) != 0) {
            if (event.type == SDL_QUIT) break;
            windowProc(event);
        } else if (quitRequested()) {
            break;  // a quit request the full queue dropped
        }
        frame();
    }
    forgetQuitRequests();
}
