#include "bmpwindow/display_lost_sdl.h"

#include <SDL.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <errno.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// Xlib ends the process itself when a handler returns, through exit(), whose
// handlers (SDL_Quit among them) then wait on the dead connection.
int displayLost(Display*) {
    const char* name = program_invocation_short_name;
    const char line[] = ": the connection to the display was lost\n";
    [[maybe_unused]] auto written = write(STDERR_FILENO, name, std::strlen(name));
    written = write(STDERR_FILENO, line, sizeof line - 1);
    std::_Exit(1);
}

}  // namespace

void endAtOnceIfDisplayLost() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(displayLost);
}

#else

void endAtOnceIfDisplayLost() {}

#endif
