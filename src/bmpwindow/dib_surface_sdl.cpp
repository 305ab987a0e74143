#include <SDL.h>

#include "bmpwindow/dib_surface.h"

DibSurface::DibSurface(std::int32_t width, std::int32_t height) : PixelSurface(nullptr, 0, 0) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
    if (surface == nullptr) {
        failure_ = std::string("cannot create the pixel surface: ") + SDL_GetError();
        return;
    }
    // Rows must follow each other without padding.
    if (surface->pitch != 4 * width) {
        SDL_FreeSurface(surface);
        failure_ = "cannot create the pixel surface: its rows are padded";
        return;
    }
    SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_NONE);
    bitmap_ = surface;
    attach(static_cast<std::uint32_t*>(surface->pixels), width, height);
}

DibSurface::~DibSurface() { SDL_FreeSurface(bitmap_); }

void DibSurface::present(std::int32_t x, std::int32_t y, WindowHandle window) const {
    if (bitmap_ == nullptr || window == nullptr) return;
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (target == nullptr) return;
    SDL_Rect where{x, y, width(), height()};
    SDL_BlitSurface(bitmap_, nullptr, target, &where);
    SDL_UpdateWindowSurface(window);
}
