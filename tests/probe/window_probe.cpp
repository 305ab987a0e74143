// A window that reports its input state on stdout, one line per change, for
// the end-to-end tests to hold against what they sent:
//   key NAME down|up|pressed, button NAME down|up|pressed, pointer X Y inside|outside, wheel N
// With --fatal MESSAGE it calls fatalError(MESSAGE) instead.
#include <cstdio>
#include <cstring>

#include "bmpwindow/bmp_window.h"

#if defined(RT_BACKEND_WIN32)
#include <windows.h>
#else
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "bmpwindow/window_proc_sdl.h"
#endif

namespace {

const char* const KEY_NAMES[] = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S",
    "T", "U", "V", "W", "X", "Y", "Z", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
    "Left", "Right", "Up", "Down", "Space", "Enter", "Escape", "Backspace", "Tab", "Shift", "Control", "Alt",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};
static_assert(sizeof KEY_NAMES / sizeof KEY_NAMES[0] == static_cast<int>(Key::Count));
const char* const BUTTON_NAMES[] = {"Left", "Middle", "Right"};

bool handleEvents() {
#if defined(RT_BACKEND_WIN32)
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Sleep(5);
#else
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) return false;
        windowProc(event);
    }
    SDL_Delay(5);
#endif
    return true;
}

void report(const char* kind, const char* name, bool down, bool& wasDown, bool pressed) {
    if (pressed) std::printf("%s %s pressed\n", kind, name);
    if (down != wasDown) std::printf("%s %s %s\n", kind, name, down ? "down" : "up");
    wasDown = down;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--fatal") == 0) fatalError(argv[2]);
#if defined(RT_BACKEND_WIN32)
    BmpWindow window(30, 30, 400, 300, GetModuleHandleA(nullptr));
#else
    BmpWindow window(30, 30, 400, 300, nullptr);
#endif
    if (!window.failure().empty()) {
        std::fprintf(stderr, "window_probe: %s\n", window.failure().c_str());
        return 1;
    }
    bool keys[static_cast<int>(Key::Count)] = {};
    bool buttons[3] = {};
    Point2 pointer(-1.0f, -1.0f);
    bool inside = false;
    std::printf("ready\n");
    std::fflush(stdout);
    while (handleEvents()) {
        const InputState& input = window.input();
        for (int k = 0; k < static_cast<int>(Key::Count); ++k) {
            report("key", KEY_NAMES[k], input.isDown(static_cast<Key>(k)), keys[k],
                        input.wasPressed(static_cast<Key>(k)));
        }
        for (int b = 0; b < 3; ++b) {
            const auto button = static_cast<PointerButton>(b);
            report("button", BUTTON_NAMES[b], input.isDown(button), buttons[b], input.wasPressed(button));
        }
        if (input.pointer().x != pointer.x || input.pointer().y != pointer.y || input.pointerInside() != inside) {
            pointer = input.pointer();
            inside = input.pointerInside();
            std::printf("pointer %d %d %s\n", static_cast<int>(pointer.x), static_cast<int>(pointer.y),
                        inside ? "inside" : "outside");
        }
        if (input.wheel() != 0.0f) std::printf("wheel %g\n", static_cast<double>(input.wheel()));
        std::fflush(stdout);
        window.beginFrame();
        window.endFrame();
    }
    return 0;
}
