// BmpWindow: a Canvas shown in a window on the screen; and fatalError.
#pragma once

#include <cstdint>
#include <string>

#include "bmpwindow/dib_surface.h"
#include "bmpwindow/input_state.h"
#include "bmpwindow/platform_handles.h"
#include "bmpwindow/surface_canvas.h"

// A fixed-size top-level window titled "Window" whose client area shows a
// DibSurface of the requested size. Drawing goes into the surface; endFrame
// shows it. Closing the window asks the program to quit and leaves it open.
// The keys and the pointer are read between frames through input().
class BmpWindow final : public SurfaceCanvas {
public:
    BmpWindow(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, InstanceHandle instance);
    ~BmpWindow() override;

    void beginFrame() override { pixelCursor_ = surface_->pixels(); }
    // Shows the picture and starts a new frame of input: what was pressed and the wheel's turning are forgotten.
    void endFrame() override;
    // In the colour's bytes as red, green, blue (x is red here, unlike plot), with no background.
    void drawText(const Point2& at, const std::string& text, const Vector3& colour) override;

    WindowHandle windowHandle() const { return window_; }
    const DibSurface& surface() const { return *surface_; }
    std::int32_t outerWidth() const { return outerWidth_; }
    std::int32_t outerHeight() const { return outerHeight_; }
    std::uint32_t* pixelCursor() const { return pixelCursor_; }

    // Moves the cursor from the end of n pixels at the start of a row to the next row.
    void skipToNextRow(std::int32_t n) { pixelCursor_ += surface_->width() - n; }

    // The caption, "Window" until a program sets its own.
    void setTitle(const std::string& title);

    // The keys and the pointer as the events handed on so far left them.
    const InputState& input();

    // Why the window or its surface could not be made; empty when it is on screen.
    const std::string& failure() const { return failure_; }

    static std::int32_t instanceCount();

private:
    WindowHandle window_ = nullptr;
    std::int32_t outerWidth_;
    std::int32_t outerHeight_;
    DibSurface* surface_;
    std::uint32_t* pixelCursor_;
    std::string failure_;
    InputState input_;
    bool inputRefreshed_ = false;
};

// Shows message in a modal box titled caption with one OK button, then ends
// the process with exit code 666 (seen as 154 by a POSIX parent).
[[noreturn]] void fatalError(const std::string& message);
[[noreturn]] void fatalError(const std::string& message, const std::string& caption);

inline constexpr int FATAL_EXIT_CODE = 666;
