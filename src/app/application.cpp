#include "app/application.h"

#include <cstdio>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/bmp_window.h"

InstanceHandle appInstance = nullptr;
BmpWindow* appWindow = nullptr;

void getWindowSize(std::int32_t& width, std::int32_t& height) {
    width = FRAME_SIZE;
    height = FRAME_SIZE;
}

bool appInit() {
    std::int32_t width = 0;
    std::int32_t height = 0;
    getWindowSize(width, height);
    appWindow = new BmpWindow(30, 30, width, height, appInstance);
    if (!appWindow->failure().empty()) {
        std::fprintf(stderr, "raytracer: %s\n", appWindow->failure().c_str());
        return false;
    }
    buildScene();
    return true;
}

void appFrame() {
    appWindow->beginFrame();
    renderFrame(*appWindow);
    appWindow->endFrame();
}

void appShutdown() {
    destroyScene();
    if (appWindow != nullptr) delete static_cast<Canvas*>(appWindow);
}
