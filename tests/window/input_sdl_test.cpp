#include <SDL.h>

#include "bmpwindow/bmp_window.h"
#include "window_fixture.h"

namespace {

using InputSdlTest = WindowTest;

Uint32 idOf(BmpWindow& window) { return SDL_GetWindowID(window.windowHandle()); }

void pushKey(BmpWindow& window, Uint32 type, SDL_Keycode code) {
    SDL_Event event{};
    event.type = type;
    event.key.windowID = idOf(window);
    event.key.keysym.sym = code;
    SDL_PushEvent(&event);
}

void pushButton(BmpWindow& window, Uint32 type, Uint8 button) {
    SDL_Event event{};
    event.type = type;
    event.button.windowID = idOf(window);
    event.button.button = button;
    SDL_PushEvent(&event);
}

void pushWindowEvent(BmpWindow& window, Uint8 kind) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = idOf(window);
    event.window.event = kind;
    SDL_PushEvent(&event);
}

TEST_F(InputSdlTest, KeysUnderTheLibrarysNames) {
    BmpWindow window(30, 30, 100, 100, nullptr);
    const struct {
        SDL_Keycode code;
        Key key;
    } keys[] = {{SDLK_a, Key::A},           {SDLK_z, Key::Z},         {SDLK_0, Key::Digit0},
                {SDLK_9, Key::Digit9},      {SDLK_F1, Key::F1},       {SDLK_F12, Key::F12},
                {SDLK_LEFT, Key::Left},     {SDLK_DOWN, Key::Down},   {SDLK_SPACE, Key::Space},
                {SDLK_KP_ENTER, Key::Enter}, {SDLK_ESCAPE, Key::Escape}, {SDLK_BACKSPACE, Key::Backspace},
                {SDLK_TAB, Key::Tab},       {SDLK_RSHIFT, Key::Shift}, {SDLK_LCTRL, Key::Control},
                {SDLK_RALT, Key::Alt}};
    for (const auto& k : keys) {
        pushKey(window, SDL_KEYDOWN, k.code);
        EXPECT_TRUE(window.input().isDown(k.key)) << SDL_GetKeyName(k.code);
        pushKey(window, SDL_KEYUP, k.code);
        EXPECT_FALSE(window.input().isDown(k.key)) << SDL_GetKeyName(k.code);
        EXPECT_TRUE(window.input().wasPressed(k.key)) << SDL_GetKeyName(k.code);
    }
    EXPECT_FALSE(window.input().wasPressed(Key::B));
    window.endFrame();
    EXPECT_FALSE(window.input().wasPressed(Key::A));
}

TEST_F(InputSdlTest, ButtonsWheelAndPointer) {
    BmpWindow window(30, 30, 100, 100, nullptr);
    pushButton(window, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE);
    pushButton(window, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1);  // not one of the three
    EXPECT_TRUE(window.input().isDown(PointerButton::Middle));
    EXPECT_FALSE(window.input().isDown(PointerButton::Left));
    pushButton(window, SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE);
    EXPECT_FALSE(window.input().isDown(PointerButton::Middle));

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = idOf(window);
    wheel.wheel.preciseY = 2.0f;
    SDL_PushEvent(&wheel);
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;  // the same turn, reported the other way
    wheel.wheel.preciseY = -0.5f;
    SDL_PushEvent(&wheel);
    EXPECT_EQ(window.input().wheel(), 2.5f);

    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = idOf(window);
    motion.motion.x = 17;
    motion.motion.y = 83;
    SDL_PushEvent(&motion);
    EXPECT_EQ(window.input().pointer().x, 17.0f);
    EXPECT_EQ(window.input().pointer().y, 83.0f);
    EXPECT_TRUE(window.input().pointerInside());
    pushWindowEvent(window, SDL_WINDOWEVENT_LEAVE);
    EXPECT_FALSE(window.input().pointerInside());
}

TEST_F(InputSdlTest, LosingFocusReleasesAndOtherWindowsKeepTheirOwn) {
    BmpWindow first(30, 30, 100, 100, nullptr);
    BmpWindow second(150, 30, 100, 100, nullptr);
    pushKey(first, SDL_KEYDOWN, SDLK_LSHIFT);
    pushButton(first, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pushKey(second, SDL_KEYDOWN, SDLK_x);
    EXPECT_FALSE(first.input().isDown(Key::X));
    EXPECT_FALSE(second.input().isDown(Key::Shift));
    pushWindowEvent(first, SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_FALSE(first.input().isDown(Key::Shift));
    EXPECT_FALSE(first.input().isDown(PointerButton::Left));
    EXPECT_TRUE(second.input().isDown(Key::X));
}

}  // namespace
