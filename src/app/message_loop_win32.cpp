#include <windows.h>

#include "app/message_loop.h"

void runMessageLoop(void (*frame)()) {
    for (;;) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        frame();
    }
}
