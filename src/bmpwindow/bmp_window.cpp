#include "bmpwindow/bmp_window.h"

#include "bmpwindow/window_platform.h"

namespace {
int classRegistered = 0;
std::int32_t liveWindows = 0;
}  // namespace

BmpWindow::BmpWindow(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                     InstanceHandle instance)
    : SurfaceCanvas(nullptr), pixelCursor_(nullptr) {
    if (classRegistered == 0) {
        registerWindowClass(instance);
        classRegistered = 1;
    }
    // The frame and caption: what Win32 adds around a client area of this size.
    outerWidth_ = width + 7;
    outerHeight_ = height + 25;
    window_ = createAndShowWindow(x, y, width, height, outerWidth_, outerHeight_, instance, failure_);
    surface_ = new DibSurface(width, height);
    setSurface(surface_);
    if (failure_.empty()) failure_ = surface_->failure();
    if (window_ != nullptr) attachInput(window_, &input_);
    ++liveWindows;
}

BmpWindow::~BmpWindow() {
    if (window_ != nullptr) {
        attachInput(window_, nullptr);
        destroyWindow(window_);
    }
    delete surface_;
    --liveWindows;
}

void BmpWindow::endFrame() {
    surface_->present(0, 0, window_);
    input_.nextFrame();
    inputRefreshed_ = false;
}

void BmpWindow::setTitle(const std::string& title) {
    if (window_ != nullptr) setWindowTitle(window_, title);
}

const InputState& BmpWindow::input() {
    // Once a frame: on some backends this asks the window system.
    if (!inputRefreshed_ && window_ != nullptr) refreshInput(window_, input_);
    inputRefreshed_ = true;
    return input_;
}

std::int32_t BmpWindow::instanceCount() { return liveWindows; }
