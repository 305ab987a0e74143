#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>

#include "bmpwindow/bmp_window.h"
#include "bmpwindow/default_font.h"
#include "bmpwindow/pack_colour.h"
#include "bmpwindow/truncate.h"

namespace {

// About the height of the system font of a fresh Win32 drawing context.
constexpr int FONT_POINTS = 13;

// Opened on first use and kept for the process; null if there is no font.
TTF_Font* defaultFont() {
    static TTF_Font* font = [] {
        if (TTF_WasInit() == 0 && TTF_Init() != 0) return static_cast<TTF_Font*>(nullptr);
        const std::string file = defaultFontFile();
        TTF_Font* opened = file.empty() ? nullptr : TTF_OpenFont(file.c_str(), FONT_POINTS);
        if (opened == nullptr) std::fprintf(stderr, "raytracer: no font for text, so none is drawn\n");
        return opened;
    }();
    return font;
}

}  // namespace

void BmpWindow::drawText(const Point2& at, const std::string& text, const Vector3& colour) {
    const std::string shown(text.c_str());  // up to the first NUL byte
    const std::optional<std::int32_t> x = truncToInt32(at.x);
    const std::optional<std::int32_t> y = truncToInt32(at.y);
    if (shown.empty() || !x || !y || *x >= width() || *y >= height() || surface_->bitmap() == nullptr) return;
    TTF_Font* font = defaultFont();
    if (font == nullptr) return;

    // Text takes the colour's bytes as red, green, blue: the low byte is red.
    const std::uint32_t word = packColour(colour);
    const SDL_Color ink{static_cast<Uint8>(word), static_cast<Uint8>(word >> 8), static_cast<Uint8>(word >> 16), 255};
    SDL_Surface* glyphs = TTF_RenderText_Blended(font, shown.c_str(), ink);  // the bytes as Latin-1
    if (glyphs == nullptr) return;
    if (static_cast<std::int64_t>(*x) + glyphs->w > 0 && static_cast<std::int64_t>(*y) + glyphs->h > 0) {
        SDL_Rect where{*x, *y, 0, 0};
        SDL_BlitSurface(glyphs, nullptr, surface_->bitmap(), &where);
        // Blending leaves coverage in the unused top byte; pixel words keep it 0.
        for (int row = where.y; row < where.y + where.h; ++row) {
            std::uint32_t* p = surface_->pixels() + static_cast<std::size_t>(row) * width() + where.x;
            for (int col = 0; col < where.w; ++col) p[col] &= 0x00FFFFFFu;
        }
    }
    SDL_FreeSurface(glyphs);
}
