#include <windows.h>

#include <cstdlib>

#include "bmpwindow/bmp_window.h"

void fatalError(const std::string& message) { fatalError(message, "Error"); }

void fatalError(const std::string& message, const std::string& caption) {
    MessageBoxA(nullptr, message.c_str(), caption.c_str(), MB_OK);
    std::exit(FATAL_EXIT_CODE);
}
