#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "bmpwindow/bmp_window.h"

void fatalError(const std::string& message) { fatalError(message, "Error"); }

void fatalError(const std::string& message, const std::string& caption) {
    // Also on stderr: with no display the box cannot be shown.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), message.c_str());
    std::fflush(stderr);
    SDL_ShowSimpleMessageBox(0, caption.c_str(), message.c_str(), nullptr);
    std::exit(FATAL_EXIT_CODE);
}
