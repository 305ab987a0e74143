// The X11 side of the SDL backend's input. SDL's pump costs a round trip
// or a scan of everything still queued for some X events (pointer crossings,
// key releases), so a flood of them holds back every event behind it, the
// window manager's close included. The window does not ask for those; what
// they would tell is read from the server once a frame instead.
#include <SDL.h>
#include <SDL_syswm.h>

#include "bmpwindow/input_sdl.h"
#include "bmpwindow/input_state.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <array>
#include <vector>

namespace {

bool x11Window(SDL_Window* window, Display*& display, Window& id) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return false;
    display = info.info.x11.display;
    id = info.info.x11.window;
    return true;
}

// The keysyms of each Key, in Key's order.
std::vector<KeySym> keysymsOf(Key key) {
    const int k = static_cast<int>(key);
    if (key >= Key::A && key <= Key::Z) return {static_cast<KeySym>(XK_a + (k - static_cast<int>(Key::A)))};
    if (key >= Key::Digit0 && key <= Key::Digit9) return {static_cast<KeySym>(XK_0 + (k - static_cast<int>(Key::Digit0)))};
    if (key >= Key::F1 && key <= Key::F12) return {static_cast<KeySym>(XK_F1 + (k - static_cast<int>(Key::F1)))};
    switch (key) {
        case Key::Left: return {XK_Left};
        case Key::Right: return {XK_Right};
        case Key::Up: return {XK_Up};
        case Key::Down: return {XK_Down};
        case Key::Space: return {XK_space};
        case Key::Enter: return {XK_Return, XK_KP_Enter};
        case Key::Escape: return {XK_Escape};
        case Key::Backspace: return {XK_BackSpace};
        case Key::Tab: return {XK_Tab};
        case Key::Shift: return {XK_Shift_L, XK_Shift_R};
        case Key::Control: return {XK_Control_L, XK_Control_R};
        case Key::Alt: return {XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_ISO_Level3_Shift};
        default: return {};
    }
}

struct KeyCodes {
    Display* display = nullptr;
    std::array<std::vector<KeyCode>, static_cast<std::size_t>(Key::Count)> ofKey;
};

const KeyCodes& keyCodes(Display* display) {
    static KeyCodes codes;
    if (codes.display != display) {
        codes.display = display;
        for (std::size_t k = 0; k < codes.ofKey.size(); ++k) {
            codes.ofKey[k].clear();
            for (KeySym sym : keysymsOf(static_cast<Key>(k))) {
                const KeyCode code = XKeysymToKeycode(display, sym);
                if (code != 0) codes.ofKey[k].push_back(code);
            }
        }
    }
    return codes;
}

bool isDownIn(const char keymap[32], KeyCode code) { return ((keymap[code / 8] >> (code % 8)) & 1) != 0; }

}  // namespace

void askForFewerX11Events(SDL_Window* window) {
    Display* display;
    Window id;
    if (!x11Window(window, display, id)) return;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, id, &attributes) == 0) return;
    const long unwanted = PointerMotionMask | PointerMotionHintMask | ButtonMotionMask | Button1MotionMask |
                          Button2MotionMask | Button3MotionMask | Button4MotionMask | Button5MotionMask |
                          EnterWindowMask | LeaveWindowMask | KeyReleaseMask | KeymapStateMask;
    XSelectInput(display, id, attributes.your_event_mask & ~unwanted);
}

void pollX11Input(SDL_Window* window, InputState& state) {
    Display* display;
    Window id;
    if (!x11Window(window, display, id)) return;
    Window root, child;
    int rootX, rootY, x, y;
    unsigned int buttons;
    int width, height;
    SDL_GetWindowSize(window, &width, &height);
    if (XQueryPointer(display, id, &root, &child, &rootX, &rootY, &x, &y, &buttons) == True) {
        const bool inside = x >= 0 && y >= 0 && x < width && y < height;
        state.pointerMoved(Point2(static_cast<float>(x), static_cast<float>(y)), inside);
    } else {
        state.pointerLeft();  // on another screen
    }
    // Presses come as events; the releases that the window does not ask for show here.
    char keymap[32];
    XQueryKeymap(display, keymap);
    const KeyCodes& codes = keyCodes(display);
    for (std::size_t k = 0; k < codes.ofKey.size(); ++k) {
        const Key key = static_cast<Key>(k);
        if (!state.isDown(key)) continue;
        bool down = false;
        for (KeyCode code : codes.ofKey[k]) down = down || isDownIn(keymap, code);
        if (!down) state.keyUp(key);
    }
}

#else

void askForFewerX11Events(SDL_Window*) {}
void pollX11Input(SDL_Window*, InputState&) {}

#endif
