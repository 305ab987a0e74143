#include <SDL.h>

#include <atomic>
#include <cstdlib>

#include "bmpwindow/display_lost_sdl.h"
#include "bmpwindow/input_sdl.h"
#include "bmpwindow/window_platform.h"
#include "bmpwindow/window_proc_sdl.h"

namespace {

std::string videoFailure;
int registrations = 0;
std::atomic<bool> closeRecorded{false};
std::atomic<bool> quitRecorded{false};

bool isCloseRequest(const SDL_Event& event) {
    return event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE;
}

// Runs for every event as SDL produces it, before it tries the queue.
int recordRequests(void*, SDL_Event* event) {
    if (isCloseRequest(*event)) closeRecorded = true;
    if (event->type == SDL_QUIT) quitRecorded = true;
    return 1;
}

// Kinds of input that nothing reads are not queued: a pointer waved over the
// window would otherwise queue every motion, one event per frame to work
// through, and fill the queue. What InputState reads goes through the filter,
// which keeps it out of the queue too.
void ignoreUnreadInput() {
    const Uint32 kinds[] = {
        SDL_TEXTEDITING, SDL_TEXTEDITING_EXT, SDL_TEXTINPUT, SDL_KEYMAPCHANGED,
        SDL_FINGERDOWN, SDL_FINGERUP, SDL_FINGERMOTION, SDL_MULTIGESTURE, SDL_DOLLARGESTURE, SDL_DOLLARRECORD,
        SDL_CLIPBOARDUPDATE, SDL_DROPFILE, SDL_DROPTEXT, SDL_DROPBEGIN, SDL_DROPCOMPLETE,
    };
    for (Uint32 kind : kinds) SDL_EventState(kind, SDL_IGNORE);
    SDL_StopTextInput();  // no input method at work on every key
    SDL_SetEventFilter(feedInput, nullptr);
}

// Starts SDL's video; the reason when there is nothing to show a window on.
std::string startVideo() {
    const bool driverChosen = std::getenv("SDL_VIDEODRIVER") != nullptr;
#if defined(__unix__) && !defined(__APPLE__)
    // Without a Wayland session only X11 can show a window; probing the others only adds noise.
    if (!driverChosen && std::getenv("WAYLAND_DISPLAY") == nullptr) {
        if (std::getenv("DISPLAY") == nullptr) return "no display to open a window on: DISPLAY is not set";
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
#endif
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return std::string("cannot start video: ") + SDL_GetError();
    // SDL falls back to drivers that show nothing; only a user who asks for them gets them.
    const std::string driver = SDL_GetCurrentVideoDriver();
    if (!driverChosen && (driver == "offscreen" || driver == "dummy")) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return "no display to open a window on";
    }
    return {};
}

}  // namespace

int windowClassRegistrations() { return registrations; }

void registerWindowClass(InstanceHandle) {
    ++registrations;
    // SDL reads the X11 class from the environment when video starts.
#if defined(_WIN32)
    _putenv_s("SDL_VIDEO_X11_WMCLASS", "Library_BMP_Window");
#else
    setenv("SDL_VIDEO_X11_WMCLASS", "Library_BMP_Window", 1);
#endif
    // Closing the window is the window procedure's to turn into a quit request.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // One event a pass, always the next one: without this SDL_PollEvent
    // sometimes reports an empty queue to break up its own polling rounds.
    SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");
    // The window system's own framebuffer: an accelerated one would recreate
    // the window behind a renderer on first use, and a window manager then
    // places the new window where the old one's client area was.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    videoFailure = startVideo();
    if (!videoFailure.empty()) return;
    std::atexit(SDL_Quit);
    endAtOnceIfDisplayLost();
    ignoreUnreadInput();
    SDL_AddEventWatch(recordRequests, nullptr);
}

WindowHandle createAndShowWindow(std::int32_t x, std::int32_t y, std::int32_t clientWidth, std::int32_t clientHeight,
                                 std::int32_t, std::int32_t, InstanceHandle, std::string& failure) {
    if (!videoFailure.empty()) {
        failure = videoFailure;
        return nullptr;
    }
    // SDL sizes the client area itself, so it is exactly the surface.
    SDL_Window* window = SDL_CreateWindow("Window", x, y, clientWidth, clientHeight, SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        failure = std::string("cannot create the window: ") + SDL_GetError();
        return nullptr;
    }
    askForFewerX11Events(window);
    SDL_ShowWindow(window);
    return window;
}

void destroyWindow(WindowHandle window) { SDL_DestroyWindow(window); }

void setWindowTitle(WindowHandle window, const std::string& title) { SDL_SetWindowTitle(window, title.c_str()); }

bool closeRequested() { return closeRecorded; }
bool quitRequested() { return quitRecorded; }

void forgetQuitRequests() {
    closeRecorded = false;
    quitRecorded = false;
}

void windowProc(const SDL_Event& event) {
    if (isCloseRequest(event)) {
        closeRecorded = true;
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}
