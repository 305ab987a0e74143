#pragma once

#include <cstdint>

#include "bmpwindow/platform_handles.h"

class BmpWindow;

extern InstanceHandle appInstance;  // only passed on to window creation
extern BmpWindow* appWindow;        // owned; used through its Canvas interface

void getWindowSize(std::int32_t& width, std::int32_t& height);

// The window at (30, 30), then the scene. False, after one line on stderr
// saying why, when the window cannot be opened.
bool appInit();

// One frame: beginFrame, the traced picture, endFrame.
void appFrame();

// The scene, then the window.
void appShutdown();
