#include <SDL.h>

#include "bmpwindow/bmp_window.h"
#include "window_fixture.h"
#include "window_pixels.h"

namespace {

TEST_F(WindowTest, SdlWindowIsTitledFixedAndShown) {
    BmpWindow window(30, 30, 400, 400, nullptr);
    ASSERT_EQ(window.failure(), "");
    int w = 0, h = 0;
    SDL_GetWindowSize(window.windowHandle(), &w, &h);
    EXPECT_EQ(w, 400);  // SDL sizes the client area itself
    EXPECT_EQ(h, 400);
    EXPECT_STREQ(SDL_GetWindowTitle(window.windowHandle()), "Window");
    const Uint32 flags = SDL_GetWindowFlags(window.windowHandle());
    EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);
    EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
    int x = 0, y = 0;
    SDL_GetWindowPosition(window.windowHandle(), &x, &y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 30);

    const SDL_Surface* bitmap = window.surface().bitmap();
    EXPECT_EQ(bitmap->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_XRGB8888));
    EXPECT_EQ(bitmap->pitch, 4 * 400);
}

TEST_F(WindowTest, SetTitleReplacesTheCaption) {
    BmpWindow window(0, 0, 64, 48, nullptr);
    ASSERT_EQ(window.failure(), "");
    window.setTitle("scene.toml - 12.5 ms");
    EXPECT_STREQ(SDL_GetWindowTitle(window.windowHandle()), "scene.toml - 12.5 ms");
}

TEST_F(WindowTest, EndFrameShowsTheSurfaceInTheClientArea) {
    BmpWindow window(0, 0, 64, 48, nullptr);
    paintPattern(window);
    window.endFrame();
    SDL_Surface* shown = SDL_GetWindowSurface(window.windowHandle());
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->w, 64);
    ASSERT_EQ(shown->h, 48);
    ASSERT_EQ(shown->format->BytesPerPixel, 4);
    const auto expected = snapshot(window);
    for (int y = 0; y < 48; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const Uint8*>(shown->pixels) + y * shown->pitch);
        for (int x = 0; x < 64; ++x) ASSERT_EQ(row[x] & 0x00FFFFFFu, expected[x + y * 64]) << x << "," << y;
    }
}

}  // namespace
