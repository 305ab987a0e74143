#include <SDL.h>

#include "app/message_loop.h"
#include "bmpwindow/window_proc_sdl.h"

void runMessageLoop(void (*frame)()) {
    for (;;) {
        SDL_Event event;
        if (SDL_PollEvent(&event) != 0) {
            if (event.type == SDL_QUIT) return;
            windowProc(event);
        }
        frame();
    }
}
