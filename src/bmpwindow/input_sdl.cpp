#include "bmpwindow/input_sdl.h"

#include <optional>

#include "bmpwindow/input_state.h"
#include "bmpwindow/window_platform.h"

namespace {

constexpr const char* INPUT_DATA = "bmpwindow-input";

std::optional<Key> keyOf(SDL_Keycode code) {
    if (code >= SDLK_a && code <= SDLK_z) return static_cast<Key>(static_cast<int>(Key::A) + (code - SDLK_a));
    if (code >= SDLK_0 && code <= SDLK_9) return static_cast<Key>(static_cast<int>(Key::Digit0) + (code - SDLK_0));
    if (code >= SDLK_F1 && code <= SDLK_F12) return static_cast<Key>(static_cast<int>(Key::F1) + (code - SDLK_F1));
    switch (code) {
        case SDLK_LEFT: return Key::Left;
        case SDLK_RIGHT: return Key::Right;
        case SDLK_UP: return Key::Up;
        case SDLK_DOWN: return Key::Down;
        case SDLK_SPACE: return Key::Space;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return Key::Enter;
        case SDLK_ESCAPE: return Key::Escape;
        case SDLK_BACKSPACE: return Key::Backspace;
        case SDLK_TAB: return Key::Tab;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return Key::Shift;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return Key::Control;
        case SDLK_LALT:
        case SDLK_RALT: return Key::Alt;
        default: return std::nullopt;
    }
}

std::optional<PointerButton> buttonOf(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return PointerButton::Left;
        case SDL_BUTTON_MIDDLE: return PointerButton::Middle;
        case SDL_BUTTON_RIGHT: return PointerButton::Right;
        default: return std::nullopt;
    }
}

InputState* stateOf(Uint32 windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return window == nullptr ? nullptr : static_cast<InputState*>(SDL_GetWindowData(window, INPUT_DATA));
}

void feedWindowEvent(const SDL_WindowEvent& event) {
    InputState* state = stateOf(event.windowID);
    if (state == nullptr) return;
    if (event.event == SDL_WINDOWEVENT_FOCUS_LOST) state->focusLost();
    if (event.event == SDL_WINDOWEVENT_LEAVE) state->pointerLeft();
}

// False for events that are not input.
bool feedInputEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (InputState* state = stateOf(event.key.windowID)) {
                if (const auto key = keyOf(event.key.keysym.sym)) {
                    if (event.type == SDL_KEYDOWN) state->keyDown(*key);
                    else state->keyUp(*key);
                }
            }
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (InputState* state = stateOf(event.button.windowID)) {
                if (const auto button = buttonOf(event.button.button)) {
                    if (event.type == SDL_MOUSEBUTTONDOWN) state->buttonDown(*button);
                    else state->buttonUp(*button);
                }
            }
            return true;
        case SDL_MOUSEMOTION:
            if (InputState* state = stateOf(event.motion.windowID)) {
                state->pointerMoved(Point2(static_cast<float>(event.motion.x), static_cast<float>(event.motion.y)),
                                    true);
            }
            return true;
        case SDL_MOUSEWHEEL:
            if (InputState* state = stateOf(event.wheel.windowID)) {
                const float notches = event.wheel.preciseY;
                state->wheelTurned(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -notches : notches);
            }
            return true;
        default:
            return false;
    }
}

}  // namespace

int feedInput(void*, SDL_Event* event) {
    if (event->type == SDL_WINDOWEVENT) feedWindowEvent(event->window);
    return feedInputEvent(*event) ? 0 : 1;
}

void attachInput(WindowHandle window, InputState* state) { SDL_SetWindowData(window, INPUT_DATA, state); }

void refreshInput(WindowHandle window, InputState& state) { pollX11Input(window, state); }
