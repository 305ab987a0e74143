// A window drawn with the Canvas operations alone, moving with a Stopwatch,
// until it is closed.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "bmpwindow/bmp_window.h"
#include "timing/stopwatch.h"

#if defined(RT_BACKEND_WIN32)
#include <windows.h>
#else
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "bmpwindow/window_proc_sdl.h"
#endif

namespace {

constexpr std::int32_t WIDTH = 480;
constexpr std::int32_t HEIGHT = 320;

// Takes at most one pending event, without waiting, and hands it to the
// window procedure. False once the quit request that closing the window posts is taken.
bool handleOneEvent() {
#if defined(RT_BACKEND_WIN32)
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
#else
    SDL_Event event;
    if (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) return false;
        windowProc(event);
    }
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

// A colour as the screen shows it. The pixel word takes a colour's x into its
// low byte, which the screen shows as blue, so red goes last.
Vector3 shown(float red, float green, float blue) { return Vector3(blue, green, red); }

void drawFrame(Canvas& canvas, float t) {
    canvas.clear();

    // Spokes from a wandering hub out to far beyond every edge: drawClippedLine
    // keeps what lies on the canvas.
    const Point2 hub(static_cast<float>(WIDTH * 0.5 + 120.0 * std::cos(0.7 * t)),
                     static_cast<float>(HEIGHT * 0.5 + 80.0 * std::sin(1.1 * t)));
    constexpr int SPOKES = 24;
    for (int k = 0; k < SPOKES; ++k) {
        const double angle = 0.3 * t + k * (2.0 * 3.14159265358979 / SPOKES);
        const Point2 rim(hub.x + 2000.0f * static_cast<float>(std::cos(angle)),
                         hub.y + 2000.0f * static_cast<float>(std::sin(angle)));
        const float shade = static_cast<float>(k) / SPOKES;
        canvas.drawClippedLine(hub, rim, shown(0.2f + 0.8f * shade, 0.9f - 0.6f * shade, 1.0f));
    }
    // A segment that enters through the left edge and leaves through the right.
    const auto sweep = static_cast<float>(HEIGHT * 0.5 * (1.0 + std::sin(0.5 * t)));
    canvas.drawClippedLine(Point2(-50.0f, sweep), Point2(WIDTH + 50.0f, HEIGHT - sweep), shown(1.0f, 1.0f, 1.0f));

    // A fixed panel over the lines: the same pixels in every frame.
    canvas.fillRect(Point2(20.0f, 20.0f), 120, 80, shown(1.0f, 0.5f, 0.0f));

    // A patch set byte by byte. The bytes reach the pixel word in the order
    // given, so the first one is the blue on screen.
    const auto phase = static_cast<std::uint8_t>(static_cast<std::int64_t>(t * 100.0f) & 0xFF);
    for (std::int32_t y = 0; y < 64; ++y) {
        for (std::int32_t x = 0; x < 64; ++x) {
            canvas.setPixelRgb(WIDTH - 84 + x, 20 + y, static_cast<std::uint8_t>(x * 4),
                               static_cast<std::uint8_t>(y * 4), phase);
        }
    }

    // Text takes its colour as red, green, blue.
    char caption[64];
    std::snprintf(caption, sizeof caption, "canvas-tour  t = %.1f s", static_cast<double>(t));
    canvas.drawText(Point2(20.0f, HEIGHT - 30.0f), caption, Vector3(1.0f, 1.0f, 0.4f));
}

}  // namespace

int main() {
    BmpWindow window(30, 30, WIDTH, HEIGHT, moduleInstance());
    if (!window.failure().empty()) {
        std::fprintf(stderr, "canvas-tour: %s\n", window.failure().c_str());
        return 1;
    }
    const Stopwatch clock;
    while (handleOneEvent()) {
        window.beginFrame();
        drawFrame(window, static_cast<float>(clock.elapsed()));
        window.endFrame();
    }
    return 0;
}
