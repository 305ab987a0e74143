// DibSurface: the pixel memory of a BmpWindow, made by the platform and shown in the window.
#pragma once

#include <cstdint>
#include <string>

#include "bmpwindow/pixel_surface.h"
#include "bmpwindow/platform_handles.h"

// The window's picture: a 32-bit top-down bitmap made by the platform, drawn
// into directly in memory and copied to the window in one block per frame.
// If the platform cannot make it, the surface is 0 x 0 and failure() says why.
class DibSurface final : public PixelSurface {
public:
    DibSurface(std::int32_t width, std::int32_t height);
    ~DibSurface();

    BitmapHandle bitmap() const { return bitmap_; }
    const std::string& failure() const { return failure_; }

    // Copies the whole surface into the window's client area, its top-left pixel at (x, y).
    void present(std::int32_t x, std::int32_t y, WindowHandle window) const;

private:
    BitmapHandle bitmap_ = nullptr;
    std::string failure_;
};
