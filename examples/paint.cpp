// Drawing with the pointer: the left button paints, the right one rubs out,
// the wheel sizes the brush, keys 1 to 6 choose its colour, C or Backspace
// clears, Escape closes the window.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "bmpwindow/bmp_window.h"

#if defined(RT_BACKEND_WIN32)
#include <windows.h>
#else
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "bmpwindow/window_proc_sdl.h"
#endif

namespace {

constexpr std::int32_t WIDTH = 480;
constexpr std::int32_t HEIGHT = 360;

// Hands on everything pending: input lands in the window's state, so a
// frame need not wait for it. False once the window has been closed.
bool handleEvents() {
#if defined(RT_BACKEND_WIN32)
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Sleep(10);
#else
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) return false;
        windowProc(event);
    }
    SDL_Delay(10);
#endif
    return true;
}

InstanceHandle moduleInstance() {
#if defined(RT_BACKEND_WIN32)
    return GetModuleHandleA(nullptr);
#else
    return nullptr;
#endif
}

// A colour as the screen shows it: the pixel word takes x as blue.
Vector3 shown(float red, float green, float blue) { return Vector3(blue, green, red); }

const Vector3 PALETTE[] = {shown(1, 1, 1), shown(1, 0, 0), shown(0, 1, 0),
                           shown(0, 0, 1), shown(1, 1, 0), shown(1, 0.5f, 0)};
const Key PALETTE_KEYS[] = {Key::Digit1, Key::Digit2, Key::Digit3, Key::Digit4, Key::Digit5, Key::Digit6};

// Square dabs along the segment, close enough to join.
void stroke(Canvas& canvas, Point2 from, Point2 to, std::int32_t size, const Vector3& colour) {
    const Point2 d = to - from;
    const int steps = 1 + static_cast<int>(std::sqrt(dot(d, d)) / std::max(1, size / 2));
    for (int i = 0; i <= steps; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(steps);
        const Point2 at(from.x + t * d.x - static_cast<float>(size / 2), from.y + t * d.y - static_cast<float>(size / 2));
        canvas.fillRect(at, size, size, colour);
    }
}

}  // namespace

int main() {
    BmpWindow window(30, 30, WIDTH, HEIGHT, moduleInstance());
    if (!window.failure().empty()) {
        std::fprintf(stderr, "paint: %s\n", window.failure().c_str());
        return 1;
    }
    Vector3 colour = PALETTE[0];
    std::int32_t size = 6;
    Point2 last(0.0f, 0.0f);
    window.clear();
    while (handleEvents()) {
        const InputState& input = window.input();
        if (input.wasPressed(Key::Escape)) break;
        for (int k = 0; k < 6; ++k) {
            if (input.wasPressed(PALETTE_KEYS[k])) colour = PALETTE[k];
        }
        if (input.wasPressed(Key::C) || input.wasPressed(Key::Backspace)) window.clear();
        size = std::clamp(size + static_cast<std::int32_t>(std::lround(2.0f * input.wheel())), 1, 64);

        // The surface keeps its pixels from frame to frame: a drawing grows.
        window.beginFrame();
        const Point2 at = input.pointer();
        if (input.isDown(PointerButton::Left) || input.wasPressed(PointerButton::Left)) {
            stroke(window, input.wasPressed(PointerButton::Left) ? at : last, at, size, colour);
        } else if (input.isDown(PointerButton::Right)) {
            stroke(window, last, at, size * 3, Vector3(0, 0, 0));
        }
        last = at;
        window.endFrame();
    }
    return 0;
}
